#include <gtest/gtest.h>

#include <filesystem>

#include "platform/PathResolver.h"
#include "support/TempDir.h"

namespace {

class PathResolverTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(PathResolverTest, MatchesEveryComponentIgnoringCase)
{
    dir.WriteFile("maps/CAVES.SMP", "x");
    dir.WriteFile("Graphics/CurveShip.tga", "x");
    ScopedWorkingDir cwd(dir.Path());

    EXPECT_EQ(platform::ResolvePath("Maps\\Caves.smp"), "maps/CAVES.SMP");
    EXPECT_EQ(platform::ResolvePath("maps/caves.smp"), "maps/CAVES.SMP");
    EXPECT_EQ(platform::ResolvePath("Graphics\\Curveship.tga"), "Graphics/CurveShip.tga");
    EXPECT_EQ(platform::ResolvePath("Graphics\\CurveShip.tga"), "Graphics/CurveShip.tga");
    EXPECT_TRUE(platform::FileExists("MAPS\\caves.SMP"));
}

TEST_F(PathResolverTest, RefusesWhatDoesNotExist)
{
    dir.WriteFile("maps/CAVES.SMP", "x");
    ScopedWorkingDir cwd(dir.Path());

    EXPECT_FALSE(platform::ResolvePath("Maps\\Caverns.smp"));
    EXPECT_FALSE(platform::ResolvePath("Levels\\Caves.smp"));
    EXPECT_FALSE(platform::ResolvePath("Maps\\Caves.smp\\inner"));
    EXPECT_FALSE(platform::ResolvePath(""));
    EXPECT_FALSE(platform::FileExists("Maps\\Caverns.smp"));
    EXPECT_FALSE(platform::FileExists("Maps")) << "a folder is not a file";
}

TEST_F(PathResolverTest, ClimbsOutOfAFolderWithDotDot)
{
    dir.WriteFile("Graphics/Font2.tga", "x");
    dir.WriteFile("Maps/Arena.bmp", "x");
    ScopedWorkingDir cwd(dir.Path());

    const auto path = platform::ResolvePath("Graphics\\..\\Maps\\arena.BMP");
    ASSERT_TRUE(path);
    EXPECT_TRUE(std::filesystem::equivalent(*path, "Maps/Arena.bmp"));
    EXPECT_TRUE(platform::FileExists(".\\Graphics\\.\\font2.tga"));
}

TEST_F(PathResolverTest, PrefersTheExactSpelling)
{
    dir.WriteFile("Graphics/ship.tga", "lower");
    dir.WriteFile("Graphics/SHIP.tga", "upper");
    ScopedWorkingDir cwd(dir.Path());

    EXPECT_EQ(platform::ResolvePath("Graphics/SHIP.tga"), "Graphics/SHIP.tga");
    EXPECT_EQ(platform::ResolvePath("Graphics/ship.tga"), "Graphics/ship.tga");
    // No exact entry: the choice is the same on every run.
    EXPECT_EQ(platform::ResolvePath("Graphics/Ship.tga"), "Graphics/SHIP.tga");
}

TEST_F(PathResolverTest, KeepsAbsolutePaths)
{
    dir.WriteFile("Data/File.bin", "x");
    EXPECT_EQ(platform::ResolvePath(dir.Path() + "\\data\\FILE.BIN"), dir.Path() + "/Data/File.bin");
}

} // namespace
