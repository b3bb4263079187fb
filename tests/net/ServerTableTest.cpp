#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/ServerTable.h"

namespace {

ListedServer Server(std::string name, std::string address, std::string map, std::string mode, int people,
                    int robots, int seats)
{
    return {std::move(name), std::move(address), std::move(map), std::move(mode), people, robots, seats};
}

// Five servers: one full, one empty, one of robots alone.
std::vector<ListedServer> Five()
{
    return {Server("Delta", "10.0.0.4:3001", "Warren", "tdm", 3, 0, 8),
            Server("alpha", "10.0.0.1:3001", "Arena", "dm", 1, 1, 8),
            Server("Charlie", "10.0.0.3:3001", "Expanse", "ctf", 0, 0, 6),
            Server("Bravo", "10.0.0.2:3001", "Hive", "dm", 4, 4, 8),
            Server("Echo", "10.0.0.5:3001", "Duel", "dm", 0, 2, 2)};
}

std::vector<std::string> Names(const ServerTable& table)
{
    std::vector<std::string> names;
    for (const ServerTable::Row& row : table.Rows())
        names.push_back(row.server->name);
    return names;
}

} // namespace

TEST(ServerTable, SortsByEveryColumnBothWays)
{
    struct Case {
        ServerTable::Column column;
        std::vector<std::string> rising;
    };
    const Case cases[] = {
        {ServerTable::kName, {"alpha", "Bravo", "Charlie", "Delta", "Echo"}},
        {ServerTable::kMap, {"alpha", "Echo", "Charlie", "Bravo", "Delta"}},
        {ServerTable::kMode, {"Charlie", "alpha", "Bravo", "Echo", "Delta"}},
        {ServerTable::kPeople, {"Charlie", "Echo", "alpha", "Delta", "Bravo"}},
        {ServerTable::kRobots, {"Charlie", "Delta", "alpha", "Echo", "Bravo"}},
        {ServerTable::kSeats, {"Echo", "Charlie", "alpha", "Bravo", "Delta"}},
    };
    for (const Case& c : cases) {
        ServerTable table;
        table.SetListed(Five());
        if (c.column != table.SortColumn()) // names rise at first
            table.SortBy(c.column);
        const std::vector<std::string>& rising = c.rising;
        EXPECT_EQ(Names(table), rising) << c.column;
        table.SortBy(c.column);
        EXPECT_EQ(Names(table), std::vector<std::string>(rising.rbegin(), rising.rend())) << c.column;
    }
}

TEST(ServerTable, SortsByPingWithUnmeasuredAndSilentLast)
{
    ServerTable table;
    table.SetListed(Five());
    table.SetPing("10.0.0.3:3001", 80);
    table.SetPing("10.0.0.5:3001", 12);
    table.SetPing("10.0.0.4:3001", ServerTable::kNoPing);
    table.SortBy(ServerTable::kPing);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Echo", "Charlie", "alpha", "Bravo", "Delta"}));
    table.MoveSort(1);
    EXPECT_EQ(table.SortColumn(), ServerTable::kName);
    table.MoveSort(-1);
    EXPECT_EQ(table.SortColumn(), ServerTable::kPing);
}

TEST(ServerTable, FiltersByTypedTextAndHidesByWhatServersHold)
{
    ServerTable table;
    table.SetListed(Five());
    table.SetFilter("ARENA");
    EXPECT_EQ(Names(table), std::vector<std::string>{"alpha"});
    table.SetFilter("dm");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "Bravo", "Delta", "Echo"}));
    table.SetFilter("10.0.0.3");
    EXPECT_EQ(Names(table), std::vector<std::string>{"Charlie"});
    table.SetFilter("");

    // Robots give their seats up to people: only people fill a server.
    std::vector<ListedServer> six = Five();
    six.push_back(Server("Foxtrot", "10.0.0.6:3001", "Void", "dm", 4, 0, 4));
    table.SetListed(six);
    table.ToggleHidden(ServerTable::kHideFull);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "Bravo", "Charlie", "Delta", "Echo"}));
    table.ToggleHidden(ServerTable::kHideFull);
    table.ToggleHidden(ServerTable::kHideEmpty);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "Bravo", "Delta", "Echo", "Foxtrot"}));
    table.ToggleHidden(ServerTable::kHideRobotsOnly);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "Bravo", "Delta", "Foxtrot"}));
}

TEST(ServerTable, FavouritesComeFirstAndStayWhenNoMasterListsThem)
{
    ServerTable table;
    table.SetFavourites({"192.0.2.9:3001"});
    table.SetListed(Five());
    for (int i = 0; i < 4; ++i)
        table.SelectNext(); // past the unlisted favourite, alpha, Bravo and Charlie
    ASSERT_EQ(table.SelectedRow()->server->name, "Delta");
    ASSERT_TRUE(table.ToggleFavourite());
    EXPECT_EQ(table.Favourites(), (std::vector<std::string>{"192.0.2.9:3001", "10.0.0.4:3001"}));
    EXPECT_EQ(Names(table), (std::vector<std::string>{"192.0.2.9:3001", "Delta", "alpha", "Bravo", "Charlie", "Echo"}));
    EXPECT_FALSE(table.Rows()[0].listed);
    EXPECT_TRUE(table.Rows()[1].favourite);

    // A full list hides nothing it cannot know about; a new list from the
    // master keeps the marks.
    table.ToggleHidden(ServerTable::kHideEmpty);
    table.SetListed({Server("Delta", "10.0.0.4:3001", "Arena", "dm", 0, 0, 8)});
    EXPECT_EQ(Names(table), std::vector<std::string>{"192.0.2.9:3001"});
    table.ToggleHidden(ServerTable::kHideEmpty);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"192.0.2.9:3001", "Delta"}));
    EXPECT_TRUE(table.Rows()[1].favourite);

    std::vector<std::string> many;
    for (std::size_t i = 0; i < ServerTable::kMostFavourites; ++i)
        many.push_back("192.0.2." + std::to_string(i) + ":3001");
    table.SetFavourites(many);
    while (table.SelectedRow()->server->name != "Delta")
        table.SelectNext();
    EXPECT_FALSE(table.ToggleFavourite()) << "one too many";
    EXPECT_EQ(table.Favourites().size(), ServerTable::kMostFavourites);
}

TEST(ServerTable, SelectionFollowsItsServerAndWraps)
{
    ServerTable table;
    EXPECT_EQ(table.SelectedRow(), nullptr);
    EXPECT_FALSE(table.ToggleFavourite());
    table.SetListed(Five());
    table.SelectPrevious();
    EXPECT_EQ(table.SelectedRow()->server->name, "Echo");
    table.SelectNext();
    EXPECT_EQ(table.SelectedRow()->server->name, "alpha");
    table.SelectNext();
    table.SortBy(ServerTable::kName); // falling now
    EXPECT_EQ(table.SelectedRow()->server->name, "Bravo");
    EXPECT_EQ(table.Selected(), 3u);
    table.SetFilter("zzz");
    EXPECT_EQ(table.SelectedRow(), nullptr);

    ServerTable untouched;
    untouched.SetListed(Five());
    untouched.SortBy(ServerTable::kName);
    EXPECT_EQ(untouched.SelectedRow()->server->name, "alpha") << "the first row, never moved, is still highlighted";
}
