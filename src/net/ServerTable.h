#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "net/ListedServer.h"

// The Internet Servers screen's list as the player arranges it: the
// masters' servers and the favourites, filtered by typed text and by
// what they hold, sorted by a column, favourites first. The shown rows
// are worked out again only when something they depend on changes.
class ServerTable {
public:
    enum Column { kName, kMap, kMode, kPeople, kRobots, kSeats, kPing, kColumns };
    enum Hide { kHideFull = 1, kHideEmpty = 2, kHideRobotsOnly = 4 };
    static constexpr int kNoPing = -1; // measured, and no answer
    // The settings file that keeps them is small.
    static constexpr std::size_t kMostFavourites = 64;

    struct Row {
        const ListedServer* server;
        bool favourite;
        bool listed; // by a master; a favourite may be listed by none
    };

    void SetListed(std::vector<ListedServer> servers);
    void SetFavourites(const std::vector<std::string>& addresses);
    const std::vector<std::string>& Favourites() const { return favourites; }
    // Marks or unmarks the selected server; false when none is selected
    // or no more may be marked.
    bool ToggleFavourite();
    void SetPing(const std::string& address, int ms);
    // The round trip measured to address: kNoPing without an answer, -2
    // when it was never measured.
    int PingOf(const std::string& address) const;

    void SetFilter(std::string text);
    const std::string& Filter() const { return filter; }
    void ToggleHidden(Hide what);
    int Hidden() const { return hidden; }
    // The column the rows are sorted by; the same column again reverses.
    void SortBy(Column column);
    // The next or previous column, ascending.
    void MoveSort(int step);
    Column SortColumn() const { return sortColumn; }
    bool Descending() const { return descending; }

    const std::vector<Row>& Rows() const;
    std::size_t ListedCount() const { return listed.size(); }
    // 0-based; stays on the same server when the rows change under it.
    std::size_t Selected() const;
    void SelectPrevious();
    void SelectNext();
    const Row* SelectedRow() const;

private:
    void Rebuild() const;
    void KeepHighlighted();
    bool Shows(const Row& row) const;
    bool Before(const Row& a, const Row& b) const;

    std::vector<ListedServer> listed;
    std::vector<std::string> favourites;
    std::vector<ListedServer> unlistedFavourites;
    std::map<std::string, int> pings;
    std::string filter;
    int hidden = 0;
    Column sortColumn = kName;
    bool descending = false;
    std::string selectedAddress;
    mutable bool stale = true;
    mutable std::vector<Row> rows;
    mutable std::size_t selected = 0;
};
