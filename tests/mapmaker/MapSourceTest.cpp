#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/ByteReader.h"
#include "mapmaker/MapSource.h"
#include "mapmaker/RadarPicture.h"
#include "world/Map.h"

namespace {

using Problems = std::vector<MapProblem>;

MapGrid Parsed(const std::string& source)
{
    MapGrid grid;
    Problems problems;
    EXPECT_TRUE(ParseMapSource(source, grid, problems)) << problems[0].text;
    return grid;
}

TEST(MapSource, CompilesToWhatTheGameReads)
{
    const MapGrid grid = Parsed("; a comment\r\nname Little One\n.#J\nL$F\n7^>\nv<@\n");
    EXPECT_EQ(std::tuple(grid.columns, grid.rows, grid.rowLines), std::tuple(3, 4, std::vector{3, 4, 5, 6}));

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
    const auto bytes = EncodeMapFile(Parsed("name Flags\n#B..\n....\n..R#\n"));
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
    const std::string wide(513, '.');
    std::string tall = "name X\n";
    for (int r = 0; r < 514; ++r)
        tall += "..\n";
    const std::pair<std::string, Problems> cases[] = {
        {"name X\n...\n.x.\n", {{3, 2, "unknown cell 'x'"}}},
        {"name X\n...\n....\n. .\n", {{3, 0, "4 cells, expected 3"}, {4, 2, "unknown cell ' '"}}},
        {"...\n", {{1, 0, "no name line"}}},
        {"name X\n; nothing\n", {{2, 0, "no cells"}}},
        {"name X\nname Y\n.\n", {{2, 0, "a second name line (the first is line 1)"}}},
        {"name\n.\n", {{1, 0, "an empty name"}}},
        {"name a/b\n.\n", {{1, 0, "a name is one plain file name: printable ASCII without / or \\"}}},
        {"name " + std::string(64, 'n') + "\n.\n", {{1, 0, "a name of 64 characters, more than 63"}}},
        {"name X\n" + wide + "\n", {{2, 0, "513 cells, more than 512"}, {2, 0, "no cells"}}},
        {tall, {{514, 0, "more than 512 rows"}}},
        {"name X\n..\n.R\n", {{3, 2, "a Red base without a Blue one"}}},
        {"name X\nR.B\n..B\n", {{3, 3, "a second Blue base (the first is on line 2)"}}},
    };
    for (const auto& [source, expected] : cases) {
        MapGrid grid;
        Problems problems;
        EXPECT_FALSE(ParseMapSource(source, grid, problems));
        EXPECT_EQ(problems, expected) << source.substr(0, 40);
    }
}

// Four pixels a cell, but never a picture larger than a card takes.
TEST(RadarPicture, FourPixelsACellUpToTheLargest)
{
    for (const auto& [columns, rows, side] : {std::tuple(10, 10, 64), {40, 32, 256}, {34, 130, 1024}, {300, 40, 1024}}) {
        MapGrid grid;
        grid.columns = columns;
        grid.rows = rows;
        grid.cells.assign(static_cast<std::size_t>(columns * rows), MapCell{1, 0});
        const RadarPicture picture(grid);
        EXPECT_EQ(picture.Side(), side) << columns << " x " << rows;
        const auto file = picture.Bitmap();
        ByteReader header(file.data() + 18, 8);
        std::int32_t width = 0, height = 0;
        ASSERT_TRUE(header.I32(width) && header.I32(height));
        EXPECT_EQ(std::tuple(width, height, file.size()),
                  std::tuple(side, side, 54 + static_cast<std::size_t>(side * side * 3)));
    }
}

} // namespace
