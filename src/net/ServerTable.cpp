#include "net/ServerTable.h"

#include <algorithm>
#include <set>

#include "base/AsciiLower.h"

namespace {

constexpr int kNeverMeasured = -2;

bool Contains(const std::string& text, const std::string& lowerNeedle)
{
    return AsciiLower(text).find(lowerNeedle) != std::string::npos;
}

// Texts compare without regard to case, so "alpha" sorts before "Bravo".
int CompareFolded(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char x = AsciiLowerChar(a[i]);
        const char y = AsciiLowerChar(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int Compare(int a, int b)
{
    return a == b ? 0 : (a < b ? -1 : 1);
}

// Unanswered and unmeasured pings sort after every measured one.
int PingKey(int ms)
{
    return ms < 0 ? 1 << 30 : ms;
}

} // namespace

void ServerTable::SetListed(std::vector<ListedServer> servers)
{
    listed = std::move(servers);
    SetFavourites(std::vector<std::string>(favourites));
}

void ServerTable::SetFavourites(const std::vector<std::string>& addresses)
{
    favourites = addresses;
    std::set<std::string> known;
    for (const ListedServer& server : listed)
        known.insert(server.address);
    unlistedFavourites.clear();
    for (const std::string& address : favourites) {
        if (!known.count(address)) {
            ListedServer placeholder;
            placeholder.name = address;
            placeholder.address = address;
            unlistedFavourites.push_back(std::move(placeholder));
        }
    }
    stale = true;
}

bool ServerTable::ToggleFavourite()
{
    const Row* row = SelectedRow();
    if (!row)
        return false;
    const std::string address = row->server->address;
    std::vector<std::string> changed = favourites;
    const auto found = std::find(changed.begin(), changed.end(), address);
    if (found == changed.end() && changed.size() >= kMostFavourites)
        return false;
    if (found == changed.end())
        changed.push_back(address);
    else
        changed.erase(found);
    SetFavourites(changed);
    return true;
}

void ServerTable::SetPing(const std::string& address, int ms)
{
    pings[address] = ms;
    if (sortColumn == kPing)
        stale = true;
}

int ServerTable::PingOf(const std::string& address) const
{
    const auto found = pings.find(address);
    return found == pings.end() ? kNeverMeasured : found->second;
}

// The row the player sees highlighted stays so through a sort, a filter or a
// hide, though the arrows never moved it.
void ServerTable::KeepHighlighted()
{
    if (const Row* row = SelectedRow())
        selectedAddress = row->server->address;
}

void ServerTable::SetFilter(std::string text)
{
    KeepHighlighted();
    filter = std::move(text);
    stale = true;
}

void ServerTable::ToggleHidden(Hide what)
{
    KeepHighlighted();
    hidden ^= what;
    stale = true;
}

void ServerTable::SortBy(Column column)
{
    KeepHighlighted();
    descending = column == sortColumn && !descending;
    sortColumn = column;
    stale = true;
}

void ServerTable::MoveSort(int step)
{
    KeepHighlighted();
    sortColumn = static_cast<Column>(((sortColumn + step) % kColumns + kColumns) % kColumns);
    descending = false;
    stale = true;
}

bool ServerTable::Shows(const Row& row) const
{
    const ListedServer& server = *row.server;
    if (!filter.empty()) {
        const std::string needle = AsciiLower(filter);
        if (!Contains(server.name, needle) && !Contains(server.map, needle) && !Contains(server.mode, needle) &&
            !Contains(server.address, needle))
            return false;
    }
    if (!row.listed)
        return true;
    // Robots sit only in seats people leave free: full is full of people.
    const int players = server.people + server.robots;
    return !((hidden & kHideFull) && server.people >= server.seats) && !((hidden & kHideEmpty) && players == 0) &&
           !((hidden & kHideRobotsOnly) && server.people == 0 && server.robots > 0);
}

bool ServerTable::Before(const Row& a, const Row& b) const
{
    if (a.favourite != b.favourite)
        return a.favourite;
    const ListedServer& x = descending ? *b.server : *a.server;
    const ListedServer& y = descending ? *a.server : *b.server;
    int order = 0;
    switch (sortColumn) {
    case kMap: order = CompareFolded(x.map, y.map); break;
    case kMode: order = CompareFolded(x.mode, y.mode); break;
    case kPeople: order = Compare(x.people, y.people); break;
    case kRobots: order = Compare(x.robots, y.robots); break;
    case kSeats: order = Compare(x.seats, y.seats); break;
    case kPing: order = Compare(PingKey(PingOf(x.address)), PingKey(PingOf(y.address))); break;
    default: break;
    }
    if (order == 0)
        order = CompareFolded(x.name, y.name);
    return order != 0 ? order < 0 : x.address < y.address;
}

void ServerTable::Rebuild() const
{
    stale = false;
    rows.clear();
    const std::set<std::string> marked(favourites.begin(), favourites.end());
    for (const ListedServer& server : listed) {
        const Row row{&server, marked.count(server.address) > 0, true};
        if (Shows(row))
            rows.push_back(row);
    }
    for (const ListedServer& server : unlistedFavourites) {
        const Row row{&server, true, false};
        if (Shows(row))
            rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [this](const Row& a, const Row& b) { return Before(a, b); });
    selected = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].server->address == selectedAddress)
            selected = i;
    }
}

const std::vector<ServerTable::Row>& ServerTable::Rows() const
{
    if (stale)
        Rebuild();
    return rows;
}

std::size_t ServerTable::Selected() const
{
    Rows();
    return selected;
}

void ServerTable::SelectPrevious()
{
    const std::size_t count = Rows().size();
    if (count == 0)
        return;
    selected = selected == 0 ? count - 1 : selected - 1;
    selectedAddress = rows[selected].server->address;
}

void ServerTable::SelectNext()
{
    const std::size_t count = Rows().size();
    if (count == 0)
        return;
    selected = (selected + 1) % count;
    selectedAddress = rows[selected].server->address;
}

const ServerTable::Row* ServerTable::SelectedRow() const
{
    const std::vector<Row>& shown = Rows();
    return selected < shown.size() ? &shown[selected] : nullptr;
}
