#include <gtest/gtest.h>

#include "assets/MapSource.h"
#include "world/Map.h"

namespace {

TEST(MapSource, CompilesToWhatTheGameReads)
{
    const std::string source = "; a comment\nname Little One\n.#J\nL$F\n7^>\nv<@\n";
    MapGrid grid;
    std::string error;
    ASSERT_TRUE(ParseMapSource(source, grid, error)) << error;
    EXPECT_EQ(grid.columns, 3);
    EXPECT_EQ(grid.rows, 4);

    const auto bytes = EncodeMapFile(grid);
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    char name[32];
    map.GetName(name, sizeof name);
    EXPECT_STREQ(name, "Little One");
    const int expected[4][3] = {{0, 1, 2}, {3, 6, 4}, {5, 7, 7}, {7, 7, 8}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(map.CellKindAt(c, r), expected[r][c]) << c << ", " << r;
    }
    // Turret facings up, right, down, left in the second byte.
    EXPECT_EQ(map.CellExtraAt(1, 2), 0);
    EXPECT_EQ(map.CellExtraAt(2, 2), 1);
    EXPECT_EQ(map.CellExtraAt(0, 3), 2);
    EXPECT_EQ(map.CellExtraAt(1, 3), 3);
    EXPECT_EQ(map.SpawnPoints().size(), 1u);
}

TEST(MapSource, NamesTheLineOfEveryMistake)
{
    MapGrid grid;
    std::string error;
    EXPECT_FALSE(ParseMapSource("name X\n...\n.x.\n", grid, error));
    EXPECT_EQ(error, "line 3, column 2: unknown cell 'x'");
    EXPECT_FALSE(ParseMapSource("name X\n...\n....\n", grid, error));
    EXPECT_EQ(error, "line 3: 4 cells, expected 3");
    EXPECT_FALSE(ParseMapSource("...\n", grid, error));
    EXPECT_EQ(error, "no name line");
    EXPECT_FALSE(ParseMapSource("name X\n; nothing\n", grid, error));
    EXPECT_EQ(error, "no cells");
}

} // namespace
