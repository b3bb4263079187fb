#include <gtest/gtest.h>

#include <string>

#include "support/MapFile.h"
#include "support/TempDir.h"
#include "world/Map.h"

namespace {

TEST(Map, ReadsCellsColumnMajor)
{
    // 3 columns x 2 rows.
    auto bytes = MapFileBytes("Tiny", {{1, 2, 3}, {4, 5, 6}});
    ASSERT_EQ(bytes.size(), 4u + 4 + 8 + 12);
    // Cell (c, r) is at 12 + nameLength + 2 * (c * rows + r).
    bytes[12 + 4 + 2 * (2 * 2 + 1) + 1] = 99; // second byte of cell (2, 1)
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(map.Columns(), 3);
    EXPECT_EQ(map.Rows(), 2);
    EXPECT_EQ(map.CellKindAt(1, 0), 2);
    EXPECT_EQ(map.CellKindAt(0, 1), 4);
    EXPECT_EQ(map.CellKindAt(2, 1), 6);
    EXPECT_EQ(map.CellExtraAt(2, 1), 99);
    EXPECT_EQ(map.WorldWidth(), 96);
    EXPECT_EQ(map.WorldHeight(), 64);
    char name[16];
    map.GetName(name, sizeof name);
    EXPECT_STREQ(name, "Tiny");
}

TEST(Map, ListsTurretSitesAndSpawnPointsInReadingOrder)
{
    const auto bytes = MapFileBytes("Sites", {{0, 8, 7}, {7, 0, 8}}, 2);
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    ASSERT_EQ(map.TurretSites().size(), 2u);
    EXPECT_EQ(map.TurretSites()[0].column, 0);
    EXPECT_EQ(map.TurretSites()[0].row, 1);
    EXPECT_EQ(map.TurretSites()[1].column, 2);
    ASSERT_EQ(map.SpawnPoints().size(), 2u);
    EXPECT_EQ(map.SpawnPoints()[0].column, 1);
    EXPECT_EQ(map.SpawnPoints()[1].row, 1);
    EXPECT_EQ(map.SpawnPoints()[1].extra, 0);
    EXPECT_EQ(map.CellExtraAt(2, 0), 2) << "the facing is kept in the second byte";
}

TEST(Map, RefusesTruncatedAndAbsurdFiles)
{
    const auto good = MapFileBytes("Cut", {{1, 1}, {1, 1}});
    Map map;
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(map.LoadFromBytes(good.data(), cut)) << "cut at " << cut;
    EXPECT_TRUE(map.LoadFromBytes(good.data(), good.size()));

    ByteWriter huge;
    huge.U32(0);
    huge.I32(1 << 30);
    huge.I32(1 << 30);
    huge.U16(0x0101);
    EXPECT_FALSE(map.LoadFromBytes(huge.Data().data(), huge.Data().size())) << "cells the file cannot hold";
    EXPECT_FALSE(map.HasCells());
    EXPECT_EQ(map.Columns(), 0);

    ByteWriter negative;
    negative.U32(0);
    negative.I32(-3);
    negative.I32(2);
    EXPECT_FALSE(map.LoadFromBytes(negative.Data().data(), negative.Data().size()));

    ByteWriter longName;
    longName.U32(0xFFFFFFF0u);
    longName.Bytes("abc", 3);
    EXPECT_FALSE(map.LoadFromBytes(longName.Data().data(), longName.Data().size()));
    EXPECT_FALSE(map.Load(nullptr));
    EXPECT_FALSE(map.Load("Maps\\NoSuchMap.smp"));
}

TEST(Map, OutlinesByKindAndFoldedPositions)
{
    const auto bytes = MapFileBytes("Shapes", {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}});
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    EXPECT_TRUE(map.GetTilePolygon(0, 0).Empty());
    EXPECT_EQ(map.GetTilePolygon(1, 0).Points().size(), 4u);
    for (int kind = 2; kind <= 5; ++kind)
        EXPECT_EQ(map.GetTilePolygon(kind, 0).Points().size(), 3u) << "kind " << kind;
    EXPECT_EQ(map.GetTilePolygon(6, 0).Points().size(), 4u) << "a fuel block is solid";
    for (int kind : {7, 8, 9})
        EXPECT_TRUE(map.GetTilePolygon(kind, 0).Empty());
    EXPECT_EQ(map.GetTilePolygon(-1, 0).Points().size(), 0u) << "column -1 is the last (kind 9)";
    EXPECT_EQ(map.GetTilePolygon(-9, 3).Points().size(), 4u) << "folded to column 1";
    const Polygon lowerRight = map.GetTilePolygon(2, 0);
    EXPECT_TRUE(lowerRight.Contains(16, 16));
    EXPECT_FALSE(lowerRight.Contains(-16, -16));
    EXPECT_TRUE(Map().GetTilePolygon(0, 0).Empty()) << "no cells";
}

TEST(Map, LoadsFilesByTheirWindowsName)
{
    TempDir dir;
    const auto bytes = MapFileBytes("Caves", {{1, 0}, {0, 6}});
    dir.WriteFile("maps/CAVES.SMP", std::string(bytes.begin(), bytes.end()));
    ScopedWorkingDir cwd(dir.Path());
    Map map;
    EXPECT_TRUE(map.Load("Maps\\Caves.smp"));
    EXPECT_EQ(map.CellKindAt(1, 1), 6);
}

} // namespace
