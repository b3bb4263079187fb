#include "gfx/TeamView.h"

#include <GL/gl.h>

#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// The second row from the top: the first holds a caption when there is one.
constexpr float kScoreLineBelowTop = 36.0f;

std::string TeamScore(Team team, int score)
{
    return std::string(TeamName(team)) + " " + std::to_string(score);
}

} // namespace

TeamTint TintOf(Team team)
{
    switch (team) {
    case Team::Red: return {1.0f, 0.35f, 0.3f};
    case Team::Blue: return {0.4f, 0.75f, 1.0f};
    case Team::None: break;
    }
    return {1.0f, 1.0f, 1.0f};
}

TeamTint MarkTintOf(Team team)
{
    return team == Team::None ? TeamTint{1.0f, 0.0f, 0.0f} : TintOf(team);
}

void UseTeamTint(Team team)
{
    const TeamTint tint = TintOf(team);
    glColor4f(tint.r, tint.g, tint.b, 1.0f);
}

bool PlaysTeams(World* world)
{
    if (!world)
        return false;
    for (const Ship* ship : world->Ships()) {
        if (ship->GetTeam() != Team::None)
            return true;
    }
    return false;
}

std::string TeamScoreLine(int red, int blue)
{
    return TeamScore(Team::Red, red) + "  " + TeamScore(Team::Blue, blue);
}

Team LeadingTeam(int red, int blue)
{
    return red > blue ? Team::Red : blue > red ? Team::Blue : Team::None;
}

const char* TeamResultsBanner(int red, int blue)
{
    switch (LeadingTeam(red, blue)) {
    case Team::Red: return "Red wins";
    case Team::Blue: return "Blue wins";
    case Team::None: break;
    }
    return "Draw";
}

void DrawTeamScoreLine(int red, int blue)
{
    Renderer* renderer = Renderer::Instance();
    const std::string redPart = TeamScore(Team::Red, red) + "  ";
    const float width = Renderer::kGlyphWidth * static_cast<float>(TeamScoreLine(red, blue).size());
    const float left = Renderer::kWorldMiddleX - width / 2;
    const float y = static_cast<float>(GLDisplay::Instance()->Height() / 2) - kScoreLineBelowTop;
    glEnable(GL_TEXTURE_2D);
    UseTeamTint(Team::Red);
    renderer->DrawText(left, y, "%s", redPart.c_str());
    UseTeamTint(Team::Blue);
    renderer->DrawText(left + Renderer::kGlyphWidth * static_cast<float>(redPart.size()), y, "%s",
                       TeamScore(Team::Blue, blue).c_str());
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
