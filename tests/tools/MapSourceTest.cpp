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

TEST(MapSource, NamesTheLineOfEveryMistake)
{
    for (const auto& [source, expected] :
         {std::pair("name X\n...\n.x.\n", "line 3, column 2: unknown cell 'x'"),
          {"name X\n...\n....\n", "line 3: 4 cells, expected 3"}, {"...\n", "no name line"},
          {"name X\n; nothing\n", "no cells"}}) {
        MapGrid grid;
        std::string error;
        EXPECT_FALSE(ParseMapSource(source, grid, error));
        EXPECT_EQ(error, expected);
    }
}

} // namespace
