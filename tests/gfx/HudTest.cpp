#include <gtest/gtest.h>

#include <GL/gl.h>

#include "base/Console.h"
#include "gfx/GLDisplay.h"
#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "gfx/Renderer.h"
#include "support/MapFile.h"
#include "support/OffscreenGame.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

Ship* AddShip(World& world, const char* name, int score)
{
    Ship* ship = world.AddShip(std::make_unique<Ship>());
    ship->SetName(name);
    ship->SetScore(static_cast<signed char>(score));
    return ship;
}

TEST(Standings, HighestFirstTiesByNameThenByArrival)
{
    World world;
    AddShip(world, "Local", 3);
    AddShip(world, "Zed", 5);
    AddShip(world, "Amy", 5);
    AddShip(world, "Bob", -2);
    AddShip(world, "Amy", 5);
    AddShip(world, "AVeryLongPlayerName", 1);
    const auto standings = BuildStandings(&world);
    ASSERT_EQ(standings.size(), 6u);
    EXPECT_EQ(standings[0].name, "Amy");
    EXPECT_EQ(standings[1].name, "Amy");
    EXPECT_EQ(standings[2].name, "Zed");
    EXPECT_EQ(standings[3].name, "Local");
    EXPECT_EQ(standings[4].name, "AVeryLongPlaye") << "at most 14 characters";
    EXPECT_EQ(standings[5].score, -2);
    EXPECT_STREQ(ResultsBanner(&world), "You Lost");
}

TEST(Standings, EveryoneTiedAtTheTopWins)
{
    World world;
    AddShip(world, "Local", 4);
    AddShip(world, "Rival", 4);
    EXPECT_STREQ(ResultsBanner(&world), "You Won!");
    World empty;
    EXPECT_STREQ(ResultsBanner(&empty), "You Lost");
    EXPECT_TRUE(BuildStandings(nullptr).empty());
}

TEST(RadarDots, WrapAroundTheWorld)
{
    float x = 0, y = 0;
    // An enemy 10 beyond the right edge while the player sits at the left.
    RadarPanel::DotOffset((4096 + 10) - 0, 0, 4096, 4096, 100.0f, x, y);
    EXPECT_NEAR(x, 10.0 / 2048.0 * 100.0, 1e-3) << "just right of the centre";
    RadarPanel::DotOffset(0, 1024, 4096, 4096, 100.0f, x, y);
    EXPECT_NEAR(y, -50.0f, 1e-4) << "further down the map is further down the square";
}

bool Lit(int x, int y)
{
    const Pixel p = ReadScreenPixel(x, y);
    return p.r + p.g + p.b > 100;
}

bool LitIn(int x0, int y0, int w, int h)
{
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (Lit(x, y))
                return true;
    return false;
}

TEST(HudLayout, CornerTextsAndConsoleOnA1024By768Screen)
{
    if (!OpenOffscreenGame())
        GTEST_SKIP() << "no GL driver";
    Console* console = Console::Instance();
    console->Clear();
    console->Print("WWWWW");
    World world;
    RadarPanel radar;
    radar.SetSize(200, 768);
    DrawGameFrame(&radar, &world, 16, 88);
    GLDisplay::Instance()->MakeCurrent();
    glReadBuffer(GL_FRONT);
    SaveScreenForReview("hud-disconnected");
    EXPECT_TRUE(LitIn(412, 364, 10, 16)) << "FPS at (412, 364)";
    EXPECT_TRUE(LitIn(412, 348, 10, 16)) << "Ping at (412, 348)";
    EXPECT_FALSE(LitIn(400, 300, 100, 40));
    EXPECT_TRUE(LitIn(-302, -384 + 32, 10, 16)) << "the newest line two rows above the bottom";
    EXPECT_FALSE(LitIn(-302, -384, 50, 16)) << "no input line";
    EXPECT_FALSE(LitIn(-512, -300, 200, 600)) << "disconnected: no radar";
    glReadBuffer(GL_BACK);
    GLDisplay::Instance()->ReleaseCurrent();
}

TEST(HudLayout, RadarPanelDotsGaugeAndFrame)
{
    if (!OpenOffscreenGame())
        GTEST_SKIP() << "no GL driver";
    World world;
    const auto bytes = MapFileBytes("Radar", std::vector<std::vector<int>>(32, std::vector<int>(32, 0)));
    auto map = std::make_unique<Map>();
    map->LoadFromBytes(bytes.data(), bytes.size());
    world.SetMap(std::move(map));
    Ship* local = AddShip(world, "Me", 0);
    local->ForceRespawn(16, 512);
    Ship* across = AddShip(world, "Across", 0);
    across->ForceRespawn(1024 - 6, 512); // just across the left edge
    Ship* hidden = AddShip(world, "Hidden", 0);
    hidden->ForceRespawn(16, 768);
    hidden->AddFlags(kFlagCloaked);
    Ship* dead = AddShip(world, "Dead", 0);
    dead->ForceRespawn(16, 256);
    dead->Kill();

    RadarPanel radar;
    radar.SetSize(200, 768);
    radar.SetWorld(&world);
    Renderer::Instance()->BeginFrame();
    radar.Draw(-412, 0);
    SaveScreenForReview("radar");
    const int cy = 384 - 100 - 2;
    const Pixel centre = ReadScreenPixel(-412, cy);
    EXPECT_GT(centre.g, 200) << "the player's own dot";
    const Pixel wrapped = ReadScreenPixel(-412 - 5, cy);
    EXPECT_GT(wrapped.r, 200) << "the opponent across the edge, just left of the centre";
    EXPECT_LT(ReadScreenPixel(-412, cy - 50).r, 100) << "a cloaked ship has no dot";
    EXPECT_LT(ReadScreenPixel(-412, cy + 50).r, 100) << "a dead ship has no dot";
    EXPECT_GT(ReadScreenPixel(-511, 0).g, 200) << "the green frame at the left edge";
    // A full tank: the blue bar spans w - 20 - 2b from x - hw + 10 + b.
    const int gaugeY = 384 - 200 - 2 - 15;
    EXPECT_GT(ReadScreenPixel(-512 + 13, gaugeY).b, 200);
    EXPECT_GT(ReadScreenPixel(-512 + 12 + 176 - 1, gaugeY).b, 200);
    EXPECT_LT(ReadScreenPixel(-512 + 12 + 176 + 1, gaugeY).b, 100);
    Renderer::Instance()->EndFrame();
}

} // namespace
