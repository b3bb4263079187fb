#include <gtest/gtest.h>

#include "support/MapFile.h"
#include "world/Map.h"

namespace {

// The name before the cells is read back in MapSource.CompilesToWhatTheGameReads.
TEST(Map, ReadsCellsColumnMajor)
{
    // 3 columns x 2 rows; cell (c, r) is at 12 + name length + 2 (c rows + r).
    auto bytes = MapFileBytes("Tiny", {{1, 2, 3}, {4, 5, 6}});
    ASSERT_EQ(bytes.size(), 4u + 4 + 8 + 12);
    bytes[12 + 4 + 2 * (2 * 2 + 1) + 1] = 99; // second byte of cell (2, 1)
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(std::tuple(map.Columns(), map.Rows(), map.WorldWidth(), map.WorldHeight()), std::tuple(3, 2, 96, 64));
    EXPECT_EQ(std::tuple(map.CellKindAt(1, 0), map.CellKindAt(0, 1), map.CellKindAt(2, 1), map.CellExtraAt(2, 1)),
              std::tuple(2, 4, 6, 99));
}

TEST(Map, ListsTurretSitesAndSpawnPointsInReadingOrder)
{
    const auto bytes = MapFileBytes("Sites", {{0, 8, 7}, {7, 0, 8}}, 2);
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    auto places = [](const std::vector<Map::Site>& sites) {
        std::vector<std::pair<int, int>> at;
        for (const Map::Site& site : sites)
            at.emplace_back(site.column, site.row);
        return at;
    };
    EXPECT_EQ(places(map.TurretSites()), (std::vector<std::pair<int, int>>{{0, 1}, {2, 0}}));
    EXPECT_EQ(places(map.SpawnPoints()), (std::vector<std::pair<int, int>>{{1, 0}, {2, 1}}));
    EXPECT_EQ(std::tuple(map.SpawnPoints()[1].extra, map.CellExtraAt(2, 0)), std::tuple(0, 2))
        << "a turret's facing is kept in the second byte";
}

TEST(Map, RefusesTruncatedAndAbsurdFiles)
{
    const auto good = MapFileBytes("Cut", {{1, 1}, {1, 1}});
    Map map;
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(map.LoadFromBytes(good.data(), cut)) << "cut at " << cut;
    EXPECT_TRUE(map.LoadFromBytes(good.data(), good.size()));

    ByteWriter huge, negative, longName;
    huge.U32(0);
    huge.I32(1 << 30);
    huge.I32(1 << 30);
    huge.U16(0x0101);
    negative.U32(0);
    negative.I32(-3);
    negative.I32(2);
    longName.U32(0xFFFFFFF0u);
    longName.Bytes("abc", 3);
    for (const ByteWriter* bad : {&huge, &negative, &longName})
        EXPECT_FALSE(map.LoadFromBytes(bad->Data().data(), bad->Data().size()));
    EXPECT_EQ(std::pair(map.HasCells(), map.Columns()), std::pair(false, 0)) << "a refused file leaves no cells";
    EXPECT_FALSE(map.Load(nullptr));
    EXPECT_FALSE(map.Load("Maps\\NoSuchMap.smp"));
}

TEST(Map, OutlinesByKindAndFoldedPositions)
{
    const auto bytes = MapFileBytes("Shapes", {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}});
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    // Open, wall, four slopes, a solid fuel block, then three open kinds.
    const std::size_t corners[] = {0, 4, 3, 3, 3, 3, 4, 0, 0, 0};
    for (int kind = 0; kind < 10; ++kind)
        EXPECT_EQ(map.GetTilePolygon(kind, 0).Points().size(), corners[kind]) << "kind " << kind;
    EXPECT_EQ(map.GetTilePolygon(-1, 0).Points().size(), 0u) << "column -1 is the last (kind 9)";
    EXPECT_EQ(map.GetTilePolygon(-9, 3).Points().size(), 4u) << "folded to column 1";
    EXPECT_TRUE(map.GetTilePolygon(2, 0).Contains(16, 16) && !map.GetTilePolygon(2, 0).Contains(-16, -16))
        << "kind 2 fills the lower right";
    EXPECT_TRUE(Map().GetTilePolygon(0, 0).Empty()) << "no cells";
}

} // namespace
