#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "gfx/BmpImage.h"
#include "world/Map.h"

namespace {

// Every map we ship loads whole, has room to play, and its radar picture
// shows what its cells hold, upright as the radar draws it.
class ShippedMap : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedMap, LoadsAndItsPictureMatchesItsCells)
{
    const std::string name = GetParam();
    Map map;
    ASSERT_TRUE(map.Load((std::string(QR_DATA_DIR) + "/Maps/" + name + ".smp").c_str()));
    EXPECT_GE(map.Columns(), 32);
    EXPECT_FALSE(map.SpawnPoints().empty());
    EXPECT_FALSE(map.TurretSites().empty());
    int kinds[9] = {};
    for (int c = 0; c < map.Columns(); ++c)
        for (int r = 0; r < map.Rows(); ++r)
            ++kinds[map.CellKindAt(c, r) < 9 ? map.CellKindAt(c, r) : 0];
    for (int kind = kCellWall; kind <= kCellFuel; ++kind)
        EXPECT_GT(kinds[kind], 0) << "every wall shape and fuel: kind " << kind;
    for (const Map::Site& site : map.TurretSites())
        EXPECT_LE(map.CellExtraAt(site.column, site.row), 3) << "a facing";

    BmpImage picture;
    ASSERT_TRUE(picture.LoadFromFile((std::string(QR_DATA_DIR) + "/Maps/" + name + ".bmp").c_str()));
    const int side = picture.Width();
    EXPECT_EQ(side & (side - 1), 0) << "power-of-two sides";
    EXPECT_EQ(picture.Height(), side);
    picture.ConvertTo(kOrderRGBA);
    // The radar maps texture row 0 to the picture's bottom: bitmap rows run
    // bottom up, so map row r is picture row (rows - 1 - r) from the start.
    for (int c = 0; c < map.Columns(); ++c) {
        for (int r = 0; r < map.Rows(); ++r) {
            const int px = static_cast<int>((c + 0.5) * side / map.Columns());
            const int py = side - 1 - static_cast<int>((r + 0.5) * side / map.Rows());
            const unsigned char* p = &picture.Pixels()[(static_cast<std::size_t>(py) * side + px) * 4];
            const int kind = map.CellKindAt(c, r);
            if (kind == kCellWall) {
                ASSERT_GT(p[2], 200) << name << " wall at " << c << ", " << r;
            } else if (kind == kCellFuel) {
                ASSERT_GT(p[0], 200) << name << " fuel at " << c << ", " << r;
            } else if (kind == kCellEmpty || kind >= kCellTurretSite) {
                ASSERT_LT(p[2], 100) << name << " open at " << c << ", " << r;
            }
        }
    }
}

// The maps made for capture the flag keep the flags far apart, a third of
// the way round the map at least, whichever way round is shorter.
TEST(ShippedMaps, FlagMapsKeepTheirBasesFarApart)
{
    for (const char* name : {"Fortress", "Canyon"}) {
        Map map;
        ASSERT_TRUE(map.Load((std::string(QR_DATA_DIR) + "/Maps/" + name + ".smp").c_str()));
        ASSERT_EQ(map.Bases().size(), 2u) << name;
        const Map::Site& red = map.Bases()[0];
        const Map::Site& blue = map.Bases()[1];
        const int across = std::abs(red.column - blue.column), down = std::abs(red.row - blue.row);
        const int columns = std::min(across, map.Columns() - across), rows = std::min(down, map.Rows() - down);
        EXPECT_TRUE(3 * columns >= map.Columns() || 3 * rows >= map.Rows()) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Maps, ShippedMap,
                         ::testing::Values("Arena", "Warren", "Expanse", "Duel", "Hive", "Burrows", "Void", "Fortress",
                                           "Canyon"));

} // namespace
