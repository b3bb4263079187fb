#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "support/ClientWorld.h"
#include "support/HostThread.h"
#include "support/MapFile.h"
#include "support/OffscreenGame.h"
#include "world/CellKind.h"
#include "world/DeathCause.h"
#include "world/Powerup.h"

namespace {

// A game frame of a client connected to a host over loopback, with the
// server's messages handed to it directly, drawn offscreen and read back.
class RoundNewsDrawing : public ClientWorldTest {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
        ClientWorldTest::SetUp();
        host = std::make_unique<HostThread>("News", 4, TestPort(47500));
        ASSERT_TRUE(JoinHost("News", TestPort(47500)));
        ASSERT_TRUE(WorkUntil([&] { return client->IsConnected(); }));
        Hand({&Made([](NetMessage& m) { m.SetJoin(31, 3, "Pilot"); }),
              &Made([](NetMessage& m) { m.SetPlayerSpawn(31, 0, 0, 3, "Pilot"); }),
              &Made([](NetMessage& m) { m.SetRoundClock(271000, 10); })});
    }

    template <typename Build>
    NetMessage& Made(Build build)
    {
        kept.push_back(std::make_unique<NetMessage>());
        build(*kept.back());
        return *kept.back();
    }
    void Die()
    {
        Hand({&Made([](NetMessage& m) { m.SetShipKilled(31); }),
              &Made([](NetMessage& m) { m.SetKilledBy(31, 0, static_cast<std::uint8_t>(DeathCause::Turret)); }),
              &Made([](NetMessage& m) { m.SetText("A turret destroyed Pilot"); })});
    }

    struct Lines {
        bool death;
        bool clock;
        bool operator==(const Lines&) const = default;
    };
    Frame GameFrame(bool roundNews)
    {
        RadarPanel radar;
        radar.SetSize(200, 768);
        DrawGameFrame(&radar, world.get(), 16, 60, nullptr, roundNews);
        return PresentedFrame();
    }
    // Whether the death line (its middle right of the screen's, above the
    // wreck) and the clock (right, below the ping) show.
    Lines Draw(bool roundNews)
    {
        const Frame frame = GameFrame(roundNews);
        return {frame.Any(-60, 80, 320, 16), frame.Any(280, 332, 228, 16)};
    }

    std::unique_ptr<HostThread> host;
    std::vector<std::unique_ptr<NetMessage>> kept;
};

TEST_F(RoundNewsDrawing, TheDeathLineShowsOnlyWhileDeadAndClassicDrawsNeither)
{
    EXPECT_EQ(Draw(true), (Lines{false, true})) << "alive: the clock alone";
    Die();
    EXPECT_EQ(Draw(true), (Lines{true, true})) << "dead";
    EXPECT_EQ(Draw(false), (Lines{false, false})) << "classic";
    Hand({&Made([](NetMessage& m) { m.SetPlayerSpawn(31, 0, 0, 3, "Pilot"); })});
    EXPECT_EQ(Draw(true), (Lines{false, true})) << "back";
}

// Red 7, Blue 5 in a team game: the line at the top of the world picture,
// each side in its tint, the results naming the winner; gone once nobody
// has a side.
TEST_F(RoundNewsDrawing, ATeamGameShowsItsScoresAndItsWinnerUntilTheSidesGo)
{
    const auto scoreLine = [&] {
        const Frame frame = GameFrame(true);
        // "Red 7  Blue 5" is 130 wide about x = 100, on the second row.
        return std::tuple(frame.Any(35, 348, 50, 16, RedTint), frame.Any(105, 348, 60, 16, BlueTint),
                          frame.Any(35, 348, 130, 16));
    };
    EXPECT_EQ(scoreLine(), std::tuple(false, false, false)) << "a deathmatch has no team line";

    Hand({&Made([](NetMessage& m) { m.SetTeam(31, 1); }), &Made([](NetMessage& m) { m.SetTeamScores(7, 5); })});
    EXPECT_EQ(scoreLine(), std::tuple(true, true, true));

    Hand({&Made([](NetMessage& m) { m.SetRoundOver(); })});
    DrawResultsFrame(world.get(), 60);
    const Frame results = PresentedFrame();
    // "Red wins" centred at y 100; "Red team" and its 7 first below it, the
    // own ship under them.
    EXPECT_TRUE(results.Any(-40, 100, 80, 16, RedTint)) << "the winner in its tint";
    EXPECT_FALSE(results.Any(-40, 100, 80, 16, [](Pixel p) { return p.g > 200 && p.r < 50; })) << "no You Won!";
    EXPECT_TRUE(results.Any(-100, 64, 200, 16, RedTint) && results.Any(-100, 48, 200, 16, RedTint));

    Hand({&Made([](NetMessage& m) { m.SetTeam(31, 0); })});
    EXPECT_EQ(scoreLine(), std::tuple(false, false, false)) << "nobody has a side: a deathmatch again";
}

// Text keeps its colour over any sprite: the death line and the console's
// newest line over fuel blocks, a ship's name over a powerup drawn after
// the ship.
TEST_F(RoundNewsDrawing, TextStaysOverTheWorldsSprites)
{
    Ship* robot = world->AddShip(std::make_unique<Ship>());
    // On the screen at (100, -200), its name from y -174.
    robot->ForceRespawn(0, 200);
    robot->SetTarget(Vector3(0, 200, 0));
    robot->SetName("Robot Dash");
    Die();
    world->SetMap(MapOf(Rows(32, 32)));
    const Frame bare = GameFrame(true);
    world->SetMap(MapOf(Rows(32, 32, kCellFuel)));
    GameObject* powerup = world->AddEntity(std::make_unique<Powerup>(), 5);
    powerup->ForceRespawn(0, 166);
    powerup->SetTarget(Vector3(0, 166, 0));
    const Frame covered = GameFrame(true);

    struct Line {
        const char* what;
        int x, y, width;
        Pixel ink;
    };
    const Line kLines[] = {{"the death line", -60, 80, 320, {255, 204, 51, 255}},
                           {"the name", 40, -174, 120, {255, 0, 0, 255}},
                           {"the console's newest line", -302, -352, 300, {255, 255, 255, 255}}};
    // Within a shade of the ink: a glyph's solid pixels, whatever lies under.
    const auto inked = [](Pixel p, Pixel ink) {
        return std::abs(p.r - ink.r) <= 8 && std::abs(p.g - ink.g) <= 8 && std::abs(p.b - ink.b) <= 8;
    };
    for (const Line& line : kLines) {
        int drawn = 0, kept = 0;
        for (int y = line.y; y < line.y + 16; ++y) {
            for (int x = line.x; x < line.x + line.width; ++x) {
                if (inked(bare.At(x, y), line.ink)) {
                    ++drawn;
                    kept += inked(covered.At(x, y), line.ink) ? 1 : 0;
                }
            }
        }
        EXPECT_GT(drawn, 20) << line.what;
        EXPECT_EQ(kept, drawn) << line.what;
    }
}

} // namespace
