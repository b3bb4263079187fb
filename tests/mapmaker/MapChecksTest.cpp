#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mapmaker/MapMaker.h"

namespace {

using Problems = std::vector<MapProblem>;
using Rows = std::vector<std::string>;

// A screen's worth of open space with a spawn point and a fuel block; row
// r is on line r + 2, after the name.
Rows Open(int columns = 34, int rows = 26)
{
    Rows cells(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(columns), '.'));
    cells[2][2] = '@';
    cells[4][4] = '$';
    return cells;
}

void Box(Rows& cells, int column, int row, int side, char wall = '#')
{
    for (int r = row; r < row + side; ++r)
        for (int c = column; c < column + side; ++c)
            cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = wall;
}

Problems Checked(const Rows& cells, const std::string& file = "Test")
{
    std::string source = "name Test\n";
    for (const std::string& row : cells)
        source += row + "\n";
    return MapMaker(file, source).Problems();
}

TEST(MapChecks, AnOpenMapOfAScreenPassesAndASmallerOneShowsItsSeams)
{
    EXPECT_EQ(Checked(Open()), Problems{});
    const MapMaker made("Test", "name Test\n" + std::string(34, '.') + "\n");
    EXPECT_FALSE(made.Made());
    EXPECT_TRUE(made.MapFile().empty() && made.RadarFile().empty()) << "nothing made of a faulty source";
    EXPECT_EQ(Checked(Open(33, 26)), (Problems{{1, 0, "33 x 26 cells, less than a screen's 34 x 26: its seams would show twice"}}));
    EXPECT_EQ(Checked(Open(34, 25)), (Problems{{1, 0, "34 x 25 cells, less than a screen's 34 x 26: its seams would show twice"}}));
}

TEST(MapChecks, TheNameIsTheFilesNameAndOneAServerMayOffer)
{
    EXPECT_EQ(Checked(Open(), "Other"),
              (Problems{{1, 0, "the map is named \"Test\" but its file is \"Other\": name them alike, as the radar finds "
                               "its picture by the map's name and the game finds the map by its file's"}}));
    std::string source = "name Two.Dots\n";
    for (const std::string& row : Open())
        source += row + "\n";
    EXPECT_EQ(MapMaker("Two.Dots", source).Problems(),
              (Problems{{1, 0, "\"Two.Dots\" cannot name a map a server sends to its players: only letters, digits, _ "
                               "and -, 63 at most"}}));
}

TEST(MapChecks, SpawnPointsHaveRoomAndMeetEveryOtherAcrossTheSeams)
{
    Rows none = Open();
    none[2][2] = '.';
    EXPECT_EQ(Checked(none), (Problems{{1, 0, "no spawn point (@)"}}));

    // Walls two cells off on all four sides; the corners still lead out.
    Rows cramped = Open();
    cramped[10][10] = '@';
    cramped[8][10] = cramped[12][10] = cramped[10][8] = cramped[10][12] = '#';
    EXPECT_EQ(Checked(cramped),
              (Problems{{12, 11, "a spawn point with no room: 3 open cells in a straight line from it in no direction"}}));

    Rows shut = Open();
    Box(shut, 19, 19, 3);
    shut[20][20] = '@';
    EXPECT_EQ(Checked(shut),
              (Problems{{22, 21, "a spawn point with no room: 3 open cells in a straight line from it in no direction"},
                        {22, 21, "a spawn point cut off from the one on line 4"},
                        {22, 21, "no fuel within 120 cells' flight of this spawn point"}}));

    // On the first column, walled in but for the way left, over the seam.
    Rows edge = Open();
    edge[10][0] = '@';
    edge[9][0] = edge[11][0] = edge[10][1] = '#';
    EXPECT_EQ(Checked(edge), Problems{});
    edge[10][32] = '#';
    EXPECT_EQ(Checked(edge),
              (Problems{{12, 1, "a spawn point with no room: 3 open cells in a straight line from it in no direction"}}));
}

// Lanes joined at alternate ends: over 200 cells from the top lane to the
// bottom one, with the seams crossed only along the lanes.
Rows Serpent()
{
    Rows cells(26, std::string(34, '.'));
    for (int r = 1; r < 26; r += 2) {
        cells[static_cast<std::size_t>(r)] = std::string(34, '#');
        if (r < 25)
            cells[static_cast<std::size_t>(r)][(r / 2) % 2 ? 17 : 1] = '.';
    }
    cells[0][1] = '@';
    return cells;
}

TEST(MapChecks, FuelIsWithinAQuarterTanksFlightOfEverySpawnPointAndReachable)
{
    Rows none = Open();
    none[4][4] = '.';
    EXPECT_EQ(Checked(none), (Problems{{1, 0, "no fuel block ($)"}}));

    Rows far = Serpent();
    far[22][20] = '$';
    EXPECT_EQ(Checked(far), (Problems{{2, 2, "no fuel within 120 cells' flight of this spawn point"}}));
    far[6][20] = '$';
    EXPECT_EQ(Checked(far), Problems{});

    // Buried three cells deep: two cells is as far as a ship draws from.
    Rows buried = Open();
    Box(buried, 17, 12, 7);
    buried[15][20] = '$';
    EXPECT_EQ(Checked(buried), (Problems{{17, 21, "a fuel block no ship reaches within 2 cells of"}}));
    buried[12][20] = buried[13][20] = '.';
    EXPECT_EQ(Checked(buried), Problems{}) << "a slot two cells from it";
}

TEST(MapChecks, TurretSitesFaceOpenSpaceAcrossTheSeamsToo)
{
    const std::pair<char, std::string> ways[] = {
        {'^', "above"}, {'>', "to the right of"}, {'v', "below"}, {'<', "to the left of"}};
    for (const auto& [mark, way] : ways) {
        Rows cells = Open();
        cells[10][0] = mark;
        EXPECT_EQ(Checked(cells), Problems{}) << mark;
        // Every neighbour a wall, the one across the seam included.
        cells[9][0] = cells[11][0] = cells[10][1] = cells[10][33] = '#';
        EXPECT_EQ(Checked(cells),
                  (Problems{{12, 1, "a turret site facing a wall: the cell " + way + " it is not open"}}));
    }
}

TEST(MapChecks, BasesHaveAWayInFromTheSpawnPoints)
{
    Rows cells = Open();
    cells[5][10] = 'R';
    cells[20][30] = 'B';
    EXPECT_EQ(Checked(cells), Problems{});

    Rows walled = cells;
    Box(walled, 28, 18, 5);
    walled[20][30] = 'B';
    EXPECT_EQ(Checked(walled), (Problems{{22, 31, "the Blue base is walled in"}}));

    // A nook of two cells, sealed off.
    walled[20][31] = '.';
    EXPECT_EQ(Checked(walled), (Problems{{22, 31, "the Blue base cannot be reached from the spawn points"}}));
}

// A room no ship enters could only catch powerups; a crack in a wall
// too narrow for one is no room.
TEST(MapChecks, OpenSpaceNoShipReachesIsAFaultWhereAPowerupFits)
{
    Rows cells = Open();
    Box(cells, 10, 10, 4);
    cells[11][11] = cells[11][12] = cells[12][11] = cells[12][12] = '.';
    EXPECT_EQ(Checked(cells), Problems{});
    Box(cells, 20, 10, 5);
    Box(cells, 21, 11, 3, '.');
    EXPECT_EQ(Checked(cells), (Problems{{13, 22, "open space that no ship reaches, where powerups may fall"}}));
}

} // namespace
