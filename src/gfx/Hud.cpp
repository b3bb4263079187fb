#include "gfx/Hud.h"

#include <GL/gl.h>

#include <cstring>

#include "gfx/FlagView.h"
#include "gfx/GLDisplay.h"
#include "gfx/RadarPanel.h"
#include "gfx/Renderer.h"
#include "gfx/RoundNewsLines.h"
#include "gfx/TeamView.h"
#include "net/NetClient.h"
#include "platform/Clock.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Turret.h"
#include "world/World.h"

namespace {

constexpr float kRadarWidth = 200.0f;
// The frame rate and the ping start this far left of the right edge.
constexpr float kCornerColumn = 100.0f;

// The frame rate and ping in the top-right corner, and the console. The
// caption shares the frame rate's row: it is centred between the radar's
// edge and that column, which leave room for 72 characters on the
// smallest screen.
void DrawCornersAndConsole(int framesPerSecond, const char* caption)
{
    Renderer* renderer = Renderer::Instance();
    const GLDisplay* display = GLDisplay::Instance();
    const float halfWidth = static_cast<float>(display->Width() / 2);
    const float halfHeight = static_cast<float>(display->Height() / 2);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    renderer->DrawText(halfWidth - kCornerColumn, halfHeight - 20.0f, "FPS: %d", framesPerSecond);
    renderer->DrawText(halfWidth - kCornerColumn, halfHeight - 36.0f, "Ping: %d",
                       NetClient::Exists() ? NetClient::Instance()->GetPing() : 0);
    renderer->DrawConsole(-halfWidth + 210.0f, -halfHeight);
    if (caption) {
        const float middle = (-halfWidth + kRadarWidth + halfWidth - kCornerColumn) / 2.0f;
        const float half = Renderer::kGlyphWidth / 2.0f * static_cast<float>(std::strlen(caption));
        renderer->DrawText(middle - half, halfHeight - 20.0f, "%s", caption);
    }
}

// The banner's colour: green for a win, red for a loss, a side's tint for
// its win in a team game, white for the rest.
void UseBannerColour(const char* banner, bool teams, int redScore, int blueScore)
{
    if (std::strcmp(banner, "You Won!") == 0)
        glColor4f(0, 1, 0, 1);
    else if (std::strcmp(banner, "You Lost") == 0)
        glColor4f(1, 0, 0, 1);
    else if (teams && std::strcmp(banner, TeamResultsBanner(redScore, blueScore)) == 0)
        UseTeamTint(LeadingTeam(redScore, blueScore));
    else
        glColor4f(1, 1, 1, 1);
}

int HeardTeamScore(Team team)
{
    return NetClient::Exists() ? NetClient::Instance()->TeamScore(team) : 0;
}

} // namespace

std::unique_ptr<RadarPanel> NewRadar(int screenHeight)
{
    auto radar = std::make_unique<RadarPanel>();
    radar->SetSize(kRadarWidth, static_cast<float>(screenHeight));
    return radar;
}

std::string MapNameOf(World* world)
{
    char name[128] = {};
    if (Map* map = world ? world->GetMap() : nullptr)
        map->GetName(name, sizeof name);
    return name;
}

void DrawGameFrame(RadarPanel* radar, World* world, int elapsedMs, int framesPerSecond, const char* caption,
                   bool roundNews)
{
    Renderer* renderer = Renderer::Instance();
    renderer->BeginFrame();
    renderer->BeginBatch();
    const bool connected = NetClient::Exists() && NetClient::Instance()->IsConnected();
    if (!connected) {
        radar->ClearTextures();
        radar->SetWorld(nullptr);
    } else {
        radar->SetWatchers(roundNews && NetClient::Exists() ? NetClient::Instance()->WatcherCount() : 0);
        DrawConnectedWorld(radar, world, elapsedMs);
    }
    DrawCornersAndConsole(framesPerSecond, caption);
    if (connected && roundNews)
        DrawRoundNews(NetClient::Instance()->News(), platform::TickCount());
    if (connected && PlaysTeams(world))
        DrawTeamScoreLine(HeardTeamScore(Team::Red), HeardTeamScore(Team::Blue));
    renderer->EndBatch();
    renderer->EndFrame();
}

void DrawConnectedWorld(RadarPanel* radar, World* world, int elapsedMs)
{
    Renderer* renderer = Renderer::Instance();
    renderer->BeginBatch();
    const KnownFlags flags = NetClient::Exists() ? FlagsHeard(*NetClient::Instance()) : KnownFlags{};
    if (Map* map = world->GetMap()) {
        renderer->Submit();
        world->Update(elapsedMs);
        renderer->UpdateCamera();
        renderer->HoldText();
        renderer->DrawObject(map);
        DrawBases(flags);
        renderer->DrawObject(world->FirstShip());
        for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext())
            renderer->DrawObject(ship);
        for (Turret* turret = world->TurretsBegin(); turret; turret = world->TurretsNext())
            renderer->DrawObject(turret);
        for (GameObject* entity = world->EntitiesBegin(); entity; entity = world->EntitiesNext())
            renderer->DrawObject(entity);
        if (NetClient::Exists()) {
            for (const OwnShots::Flying& flying : NetClient::Instance()->Prediction().Shots().InFlight()) {
                if (flying.shot->IsAlive())
                    renderer->DrawObject(flying.shot.get());
            }
        }
        DrawFlags(flags, *world);
        renderer->DrawHeldText();
        renderer->Submit();
        if (!radar->HasTextures()) {
            char name[128] = {};
            map->GetName(name, sizeof name);
            radar->SetMapName(name);
            radar->SetPicture(map->RadarPicture());
            radar->LoadTextures();
        }
    }
    radar->SetWorld(world);
    radar->SetTeamScores(HeardTeamScore(Team::Red), HeardTeamScore(Team::Blue));
    radar->SetFlags(flags);
    radar->Draw(-GLDisplay::Instance()->Width() / 2 + 100, 0);
    renderer->EndBatch();
}

void DrawResultsFrame(World* world, int framesPerSecond, const char* caption, const char* given)
{
    Renderer* renderer = Renderer::Instance();
    renderer->BeginFrame();
    renderer->BeginBatch();
    glEnable(GL_TEXTURE_2D);
    const bool teams = PlaysTeams(world);
    const int red = HeardTeamScore(Team::Red), blue = HeardTeamScore(Team::Blue);
    const std::vector<Standing> standings = teams ? BuildTeamStandings(world, red, blue) : BuildStandings(world);
    const char* banner = given ? given : teams ? TeamResultsBanner(red, blue) : ResultsBanner(world);
    UseBannerColour(banner, teams, red, blue);
    renderer->DrawText(-5.0f * static_cast<float>(std::strlen(banner)), 100.0f, "%s", banner);
    for (std::size_t i = 1; i <= standings.size(); ++i) {
        const Standing& standing = standings[i - 1];
        if (teams)
            UseTeamTint(standing.team);
        renderer->DrawText(-100.0f, 80.0f - 16.0f * static_cast<float>(i), "%-15s %4d", standing.name.c_str(),
                           standing.score);
    }
    DrawCornersAndConsole(framesPerSecond, caption);
    renderer->EndBatch();
    renderer->EndFrame();
}
