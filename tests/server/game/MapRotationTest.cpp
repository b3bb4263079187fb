#include <gtest/gtest.h>

#include <tuple>

#include "server/game/ServerMaps.h"
#include "server/game/MapRotation.h"
#include "support/TempDir.h"
#include "world/Map.h"

namespace {

TEST(MapRotation, GoesRoundSkippingWhatCannotBePlayedAndOnlyPlainNamesLoad)
{
    TempDir data;
    WriteMap(data, "One", OpenMap(4));
    WriteMap(data, "Two", OpenMap(6));
    WriteMap(data, "Walls", {"###", "###"});
    data.WriteFile("Maps/Torn.smp", std::string("\x04\x00\x00\x00Torn\x09\x00\x00\x00", 12));
    MapRotation rotation(data.Path(), {"One", "Torn", "Gone", "Walls", "Two"});

    std::string reason;
    auto first = rotation.First(reason);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "One");
    std::vector<MapRotation::Skipped> skipped;
    auto next = rotation.Next(skipped);
    ASSERT_TRUE(next);
    EXPECT_EQ(std::tuple(next->name, next->map->Columns()), std::tuple("Two", 6));
    ASSERT_EQ(skipped.size(), 3u);
    EXPECT_EQ(std::tuple(skipped[0].name, skipped[1].name, skipped[2].name), std::tuple("Torn", "Gone", "Walls"));
    skipped.clear();
    EXPECT_EQ(rotation.Next(skipped)->name, "One") << "round again";

    rotation.MoveTo("Torn");
    EXPECT_EQ(rotation.Next(skipped)->name, "Two") << "after a map played out of turn, the rotation goes on from it";

    for (const auto& [name, why] : {std::pair("../Maps/One", "not a map name"), {"Maps\\One", "not a map name"},
                                    {"", "not a map name"}, {"..", "not a map name"}, {"Walls", "no open cell"},
                                    {"Gone", "Gone.smp"}, {"Torn", "Torn.smp is not a map"}}) {
        EXPECT_FALSE(rotation.Load(name, reason)) << name;
        EXPECT_NE(reason.find(why), std::string::npos) << name << ": " << reason;
    }
    EXPECT_FALSE(MapRotation(data.Path(), {"Walls", "One"}).First(reason)) << "a first map is not skipped";
    const auto anyCase = rotation.Load("oNE", reason);
    ASSERT_TRUE(anyCase) << "file names match in any case, as the players' programs find them";
    EXPECT_EQ(anyCase->name, "One") << "and the map is named as its file is";
}

} // namespace
