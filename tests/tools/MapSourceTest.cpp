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
    EXPECT_EQ(std::tuple(grid.columns, grid.rows), std::tuple(3, 4));

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
    EXPECT_EQ(std::tuple(map.CellExtraAt(1, 2), map.CellExtraAt(2, 2), map.CellExtraAt(0, 3), map.CellExtraAt(1, 3),
                         map.SpawnPoints().size()),
              std::tuple(0, 1, 2, 3, 1u));
}

// Bases go after the cells, where a reader of the designed maps never
// looks: the cells read the same, with open space where the marks were.
TEST(MapSource, BasesFollowTheCellsBlueMarkFirstOrNot)
{
    MapGrid grid;
    std::string error;
    ASSERT_TRUE(ParseMapSource("name Flags\n#B..\n....\n..R#\n", grid, error)) << error;
    const auto bytes = EncodeMapFile(grid);
    Map map;
    ASSERT_TRUE(map.LoadFromBytes(bytes.data(), bytes.size()));
    ASSERT_EQ(map.Bases().size(), 2u);
    EXPECT_EQ(std::tuple(map.Bases()[0].column, map.Bases()[0].row, map.Bases()[0].extra), std::tuple(2, 2, 1));
    EXPECT_EQ(std::tuple(map.Bases()[1].column, map.Bases()[1].row, map.Bases()[1].extra), std::tuple(1, 0, 2));
    EXPECT_EQ(std::tuple(map.CellKindAt(1, 0), map.CellKindAt(2, 2)), std::tuple(0, 0));

    // Cut short, the bases are none; the cells still read.
    Map cut;
    ASSERT_TRUE(cut.LoadFromBytes(bytes.data(), bytes.size() - 3));
    EXPECT_TRUE(cut.Bases().empty());
}

TEST(MapSource, NamesTheLineOfEveryMistake)
{
    for (const auto& [source, expected] :
         {std::pair("name X\n...\n.x.\n", "line 3, column 2: unknown cell 'x'"),
          {"name X\n...\n....\n", "line 3: 4 cells, expected 3"}, {"...\n", "no name line"},
          {"name X\n; nothing\n", "no cells"},
          {"name X\nR..\n...\n", "line 2: a Red base without a Blue one"},
          {"name X\nR.B\n..B\n", "line 3, column 3: a second Blue base (the first is on line 2)"},
          {"name X\n.#.#\n#R#B\n.#.#\n", "line 3, column 2: the Red base is walled in"}}) {
        MapGrid grid;
        std::string error;
        EXPECT_FALSE(ParseMapSource(source, grid, error));
        EXPECT_EQ(error, expected);
    }
}

} // namespace
