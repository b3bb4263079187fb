#include <gtest/gtest.h>

#include <tuple>

#include "server/game/MapRotation.h"
#include "server/ServerMaps.h"
#include "support/TempDir.h"
#include "world/Map.h"

namespace {

TEST(MapRotation, GoesRoundSkippingWhatCannotBePlayedAndOnlyPlainNamesLoad)
{
    TempDir data;
    WriteMap(data, "One", OpenMap(4));
    WriteMap(data, "Two", OpenMap(6));
    data.WriteFile("Maps/Torn.smp", std::string("\x04\x00\x00\x00Torn\x09\x00\x00\x00", 12));
    MapRotation rotation(data.Path(), {"One", "Torn", "Gone", "Two"});

    std::string reason;
    auto first = rotation.First(reason);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "One");
    std::vector<MapRotation::Skipped> skipped;
    auto next = rotation.Next(skipped);
    ASSERT_TRUE(next);
    EXPECT_EQ(std::tuple(next->name, next->map->Columns()), std::tuple("Two", 6));
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_EQ(std::tuple(skipped[0].name, skipped[1].name), std::tuple("Torn", "Gone"));
    skipped.clear();
    EXPECT_EQ(rotation.Next(skipped)->name, "One") << "round again";

    rotation.MoveTo("Torn");
    EXPECT_EQ(rotation.Next(skipped)->name, "Two") << "after a map played out of turn, the rotation goes on from it";

    for (const char* name : {"../Maps/One", "Maps\\One", "", ".."}) {
        EXPECT_FALSE(rotation.Load(name, reason)) << name;
        EXPECT_EQ(reason, "not a map name");
    }
    const auto anyCase = rotation.Load("oNE", reason);
    ASSERT_TRUE(anyCase) << "file names match in any case, as the players' programs find them";
    EXPECT_EQ(anyCase->name, "One") << "and the map is named as its file is";
}

TEST(MapRotation, AFirstMapThatCannotBePlayedIsRefusedWithTheReason)
{
    TempDir data;
    WriteMap(data, "Walls", {"###", "###"});
    std::string reason;
    EXPECT_FALSE(MapRotation(data.Path(), {"Walls"}).First(reason));
    EXPECT_NE(reason.find("no open cell"), std::string::npos) << reason;
    EXPECT_FALSE(MapRotation(data.Path(), {"Gone"}).First(reason));
    EXPECT_NE(reason.find("Gone.smp"), std::string::npos) << reason;
}

} // namespace
