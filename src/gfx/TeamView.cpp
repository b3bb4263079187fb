#include "gfx/TeamView.h"

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "gfx/DrawBatch.h"
#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// The second row from the top: the first holds a caption when there is one.
constexpr float kScoreLineBelowTop = 36.0f;

// Just outside the picture's inscribed circle, and wide enough to read at
// a glance without hiding the hull.
constexpr float kRingInner = 18.5f, kRingOuter = 21.0f;
constexpr int kRingSegments = 24;

struct RingPoint {
    float c, s;
};

const std::array<RingPoint, kRingSegments + 1>& RingPoints()
{
    static const auto points = [] {
        std::array<RingPoint, kRingSegments + 1> made{};
        for (int i = 0; i <= kRingSegments; ++i) {
            const double a = 2.0 * M_PI * i / kRingSegments;
            made[static_cast<std::size_t>(i)] = {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))};
        }
        return made;
    }();
    return points;
}

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

void DrawTeamRing(Team team, float screenX, float screenY)
{
    if (team == Team::None)
        return;
    const TeamTint tint = TintOf(team);
    const auto at = [&](RingPoint p, float r) {
        return BatchVertex{screenX + p.c * r, screenY + p.s * r, 0.0f, 0.0f, 0.0f, tint.r, tint.g, tint.b, 1.0f};
    };
    // Counter-clockwise on screen, so the faces are fronts and filled.
    std::array<BatchVertex, kRingSegments * 4> ring;
    std::size_t n = 0;
    const auto& points = RingPoints();
    for (std::size_t i = 0; i < kRingSegments; ++i) {
        const RingPoint p = points[i], q = points[i + 1];
        for (const BatchVertex& v : {at(p, kRingInner), at(p, kRingOuter), at(q, kRingOuter), at(q, kRingInner)})
            ring[n++] = v;
    }
    glDisable(GL_TEXTURE_2D);
    Renderer::Instance()->Batch().Add({GL_QUADS, false, 0u, GL_FILL, GL_LINE}, ring.data(), ring.size(), false);
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
