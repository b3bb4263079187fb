#include <gtest/gtest.h>

#include <filesystem>

#include "platform/PathResolver.h"
#include "support/TempDir.h"

namespace {

// The game names its files as Windows does: backslashes, any case, ".."
// out of a folder. Of two spellings the exact one wins, then the same
// choice every time.
TEST(PathResolver, MatchesEveryComponentIgnoringCaseAndClimbsWithDotDot)
{
    TempDir dir;
    for (const char* file : {"maps/CAVES.SMP", "maps/Arena.bmp", "Graphics/CurveShip.tga", "Graphics/ship.tga",
                             "Graphics/SHIP.tga"})
        dir.WriteFile(file, "x");
    ScopedWorkingDir cwd(dir.Path());
    EXPECT_EQ(platform::ResolvePath("Maps\\Caves.smp"), "maps/CAVES.SMP");
    EXPECT_TRUE(platform::FileExists("MAPS\\caves.SMP"));
    const auto climbed = platform::ResolvePath("Graphics\\..\\Maps\\arena.BMP");
    ASSERT_TRUE(climbed);
    EXPECT_TRUE(std::filesystem::equivalent(*climbed, "maps/Arena.bmp"));
    EXPECT_TRUE(platform::FileExists(".\\Graphics\\.\\curveSHIP.tga"));
    EXPECT_EQ(platform::ResolvePath(dir.Path() + "\\graphics\\CURVESHIP.TGA"), dir.Path() + "/Graphics/CurveShip.tga")
        << "absolute paths keep their start";

    for (const char* missing : {"Maps\\Caverns.smp", "Levels\\Caves.smp", "Maps\\Caves.smp\\inner", ""})
        EXPECT_FALSE(platform::ResolvePath(missing)) << missing;
    EXPECT_FALSE(platform::FileExists("Maps")) << "a folder is not a file";
    for (const auto& [asked, found] : {std::pair("Graphics/SHIP.tga", "Graphics/SHIP.tga"),
                                       {"Graphics/ship.tga", "Graphics/ship.tga"}, {"Graphics/Ship.tga", "Graphics/SHIP.tga"}})
        EXPECT_EQ(platform::ResolvePath(asked), found) << asked;
}

} // namespace
