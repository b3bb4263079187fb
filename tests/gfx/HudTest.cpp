#include <gtest/gtest.h>

#include <GL/gl.h>

#include <tuple>

#include "base/Console.h"
#include "gfx/FlagView.h"
#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "gfx/Renderer.h"
#include "support/MapFile.h"
#include "support/OffscreenGame.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

Ship* AddShip(World& world, const char* name, int score, double x = 0, double y = 0)
{
    Ship* ship = world.AddShip(std::make_unique<Ship>());
    ship->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
    ship->SetName(name);
    ship->SetScore(static_cast<signed char>(score));
    return ship;
}

TEST(Standings, HighestFirstTiesByNameThenByArrival)
{
    World world;
    for (const auto& [name, score] : {std::pair("Local", 3), {"Zed", 5}, {"Amy", 5}, {"Bob", -2}, {"Amy", 5},
                                      {"AVeryLongPlayerName", 1}})
        AddShip(world, name, score);
    std::vector<std::pair<std::string, int>> got;
    for (const Standing& s : BuildStandings(&world))
        got.emplace_back(s.name, s.score);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{
                       {"Amy", 5}, {"Amy", 5}, {"Zed", 5}, {"Local", 3}, {"AVeryLongPlaye", 1}, {"Bob", -2}}));
    EXPECT_STREQ(ResultsBanner(&world), "You Lost");

    World tied, empty;
    AddShip(tied, "Local", 4);
    AddShip(tied, "Rival", 4);
    EXPECT_STREQ(ResultsBanner(&tied), "You Won!") << "everyone tied at the top wins";
    EXPECT_STREQ(ResultsBanner(&empty), "You Lost");
    EXPECT_TRUE(BuildStandings(nullptr).empty());
}

// Red's total and ships first, then Blue's, then anyone without a side;
// within a side the order of the plain standings.
TEST(Standings, ATeamGameListsEachSideUnderItsTotalRedFirst)
{
    World world;
    AddShip(world, "Local", 3)->SetTeam(Team::Blue);
    AddShip(world, "Newcomer", 9);
    AddShip(world, "Zed", 5)->SetTeam(Team::Red);
    AddShip(world, "Amy", 1)->SetTeam(Team::Blue);
    AddShip(world, "Bob", 5)->SetTeam(Team::Red);
    std::vector<std::tuple<std::string, int, Team, bool>> got;
    for (const Standing& s : BuildTeamStandings(&world, 10, -1))
        got.emplace_back(s.name, s.score, s.team, s.total);
    EXPECT_EQ(got, (std::vector<std::tuple<std::string, int, Team, bool>>{
                       {"Red team", 10, Team::Red, true}, {"Bob", 5, Team::Red, false}, {"Zed", 5, Team::Red, false},
                       {"Blue team", -1, Team::Blue, true}, {"Local", 3, Team::Blue, false},
                       {"Amy", 1, Team::Blue, false}, {"Newcomer", 9, Team::None, false}}));
}

// The radar's square is 200 wide on a 32 x 32 map (1024 units): 100 pixels
// for half the world, the player at its centre, cy.
class HudLayout : public OffscreenTest {
protected:
    void SetUp() override
    {
        OffscreenTest::SetUp();
        world.SetMap(MapOf(Rows(32, 32)));
        radar.SetSize(200, 768);
        radar.SetWorld(&world);
    }
    Frame DrawRadar()
    {
        Renderer::Instance()->BeginFrame();
        glColor4f(1, 1, 1, 1);
        radar.Draw(-412, 0);
        const Frame frame;
        Renderer::Instance()->EndFrame();
        return frame;
    }

    static constexpr int cy = 384 - 100 - 2;
    World world;
    RadarPanel radar;
};

TEST_F(HudLayout, CornerTextsAndConsoleOnA1024By768Screen)
{
    Console::Instance()->Clear();
    Console::Instance()->Print("WWWWW");
    World none;
    RadarPanel bare;
    bare.SetSize(200, 768);
    DrawGameFrame(&bare, &none, 16, 88);
    const Frame frame = PresentedFrame();
    // FPS at (412, 364), Ping below it, nothing further down; the newest
    // console line two rows above the bottom, no input line; disconnected:
    // no radar.
    EXPECT_EQ(std::tuple(frame.Any(412, 364, 10, 16), frame.Any(412, 348, 10, 16), frame.Any(400, 300, 100, 40),
                         frame.Any(-302, -384 + 32, 10, 16), frame.Any(-302, -384, 50, 16),
                         frame.Any(-512, -300, 200, 600)),
              std::tuple(true, true, false, true, false, false));
}

// The longest watcher's caption, its name cut to 13 characters, is 690
// wide about x = 50 (from -295 to 395): clear of the radar's column, which
// ends at -312, and of the frame rate on its row, from 412.
TEST_F(HudLayout, TheCaptionKeepsBetweenTheRadarAndTheFrameRate)
{
    World none;
    RadarPanel bare;
    bare.SetSize(200, 768);
    DrawGameFrame(&bare, &none, 16, 88, "Watching: following Constantinopl   Tab next ship, arrows free camera");
    const Frame frame = PresentedFrame();
    EXPECT_EQ(std::tuple(frame.Any(-512, 364, 212, 16), frame.Any(-295, 364, 10, 16), frame.Any(385, 364, 10, 16),
                         frame.Any(396, 364, 16, 16)),
              std::tuple(false, true, true, false));
}

TEST_F(HudLayout, RadarPanelDotsGaugeAndFrame)
{
    AddShip(world, "Me", 0, 16, 512);
    AddShip(world, "Across", 0, 1024 - 6, 512 + 256); // across the left edge, further down
    AddShip(world, "Hidden", 0, 16, 256)->AddFlags(kFlagCloaked);
    AddShip(world, "Dead", 0, 16 + 256, 512)->Kill();
    const Frame frame = DrawRadar();
    EXPECT_GT(frame.At(-412, cy).g, 200) << "the player's own dot";
    EXPECT_TRUE(PlainRed(frame.At(-412 - 4, cy - 50))) << "the opponent just left of the centre and below it";
    EXPECT_LT(frame.At(-412, cy + 50).r, 100) << "a cloaked ship has no dot";
    EXPECT_LT(frame.At(-412 + 50, cy).r, 100) << "a dead ship has no dot";
    EXPECT_GT(frame.At(-511, 0).g, 200) << "the green frame at the left edge";
    // A full tank: the blue bar spans w - 20 - 2b from x - hw + 10 + b.
    const int gaugeY = 384 - 200 - 2 - 15;
    EXPECT_GT(frame.At(-512 + 13, gaugeY).b, 200);
    EXPECT_GT(frame.At(-512 + 12 + 176 - 1, gaugeY).b, 200);
    EXPECT_LT(frame.At(-512 + 12 + 176 + 1, gaugeY).b, 100);
}

// A side's ships take its tint on the radar, dot and scoreboard line,
// while a ship without one keeps the plain red dot and the white line.
TEST_F(HudLayout, ATeamGamesRadarTintsDotsAndGroupsTheScoreboard)
{
    AddShip(world, "Me", 2, 16, 512)->SetTeam(Team::Red);
    AddShip(world, "Ruby", 1, 16 + 256, 512)->SetTeam(Team::Red);
    AddShip(world, "Sky", 0, 16, 512 - 256)->SetTeam(Team::Blue);
    AddShip(world, "Lone", 0, 16, 512 + 256);
    radar.SetTeamScores(3, 0);
    const Frame frame = DrawRadar();
    EXPECT_TRUE(RedTint(frame.At(-412 + 50, cy))) << "Ruby, right of the centre";
    EXPECT_TRUE(BlueTint(frame.At(-412, cy + 50))) << "Sky, above it";
    EXPECT_TRUE(PlainRed(frame.At(-412, cy - 50))) << "Lone, below it, has no side";
    // Rows of 16 from y 124 down: Red team, Me, Ruby, Blue team, Sky, Lone.
    const std::tuple<int, bool (*)(Pixel), const char*> kRows[] = {
        {0, RedTint, "Red team"}, {3, BlueTint, "Blue team"}, {5, White, "Lone"}};
    for (const auto& [row, tint, what] : kRows)
        EXPECT_TRUE(frame.Any(-500, 124 - 16 * row, 180, 16, tint)) << what;
}

// In capture the flag a base is a hollow square in its side's tint and a
// flag a filled one ringed in white, a carried flag at its carrier; a base
// not heard of yet is not marked.
TEST_F(HudLayout, TheRadarMarksTheBasesAndFlagsInTheirSidesTints)
{
    AddShip(world, "Me", 0, 16, 512)->SetTeam(Team::Red);
    Ship* sky = AddShip(world, "Sky", 0, 16 + 256, 512);
    sky->SetTeam(Team::Blue);
    world.SetShipId(sky, 8);
    KnownFlags known;
    known.bases[0] = Vector3(16, 256, 0);
    known.flags[0] = Flag{Team::Red, FlagPlace::Dropped, 0, Vector3(16, 256, 0), Vector3(16, 512 + 256, 0)};
    known.flags[1] = Flag{Team::Blue, FlagPlace::Carried, 8, Vector3(), Vector3(16, 512 + 128, 0)};
    radar.SetFlags(known);
    const Frame frame = DrawRadar();
    EXPECT_TRUE(frame.Any(-418, cy + 44, 13, 13, RedTint)) << "the red base, above the centre";
    EXPECT_FALSE(RedTint(frame.At(-412, cy + 50))) << "hollow";
    EXPECT_TRUE(RedTint(frame.At(-412, cy - 50))) << "the red flag where it lies, below";
    EXPECT_TRUE(frame.Any(-416, cy - 54, 9, 9, White)) << "ringed in white";
    EXPECT_TRUE(BlueTint(frame.At(-412 + 50, cy))) << "the blue flag with Sky, right of the centre";
    EXPECT_TRUE(frame.Any(-416 + 50, cy - 4, 9, 9, White));
    EXPECT_FALSE(frame.Any(-416, cy - 29, 9, 9, White)) << "not where Sky was when it took it";

    // Half a map away the blue base lies on the square's edge: it is drawn
    // whole inside it, both sides of its square.
    known.bases[1] = Vector3(16 + 512, 512, 0);
    radar.SetFlags(known);
    const Frame edge = DrawRadar();
    const bool left = edge.Any(-511, cy - 1, 3, 3, BlueTint) && edge.Any(-503, cy - 1, 3, 3, BlueTint);
    const bool right = edge.Any(-325, cy - 1, 3, 3, BlueTint) && edge.Any(-317, cy - 1, 3, 3, BlueTint);
    EXPECT_TRUE(left || right) << "the blue base whole at the square's edge";
}

// A watcher's free camera moves the radar's middle with the screen; the
// followed ship, first in the world, is one dot among the others there,
// and the panel shows no tank or weapons, as no ship is followed.
TEST_F(HudLayout, TheRadarCentresOnAFreeCamera)
{
    AddShip(world, "Followed", 0, 16, 512)->AddFlags(kFlagLargeTank);
    AddShip(world, "Other", 0, 16 + 256, 512);
    const int gaugeY = 384 - 200 - 2 - 15;
    const auto tankAndIcons = [](const Frame& frame) {
        return std::pair(frame.At(-512 + 13, gaugeY).b > 200, frame.Any(-508, -380, 190, 64));
    };
    EXPECT_EQ(tankAndIcons(DrawRadar()), std::pair(true, true)) << "following: the ship's tank and its large tank";

    Renderer::Instance()->HoldCamera(16 + 256, 512);
    Renderer::Instance()->UpdateCamera();
    const Frame frame = DrawRadar();
    Renderer::Instance()->ReleaseCamera();
    EXPECT_TRUE(PlainRed(frame.At(-412, cy))) << "the ship under the camera, mid-square";
    EXPECT_TRUE(PlainRed(frame.At(-412 - 50, cy))) << "the followed ship, to the left";
    EXPECT_EQ(tankAndIcons(frame), std::pair(false, false)) << "free: an empty gauge, no icons";
}

} // namespace
