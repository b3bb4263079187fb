#include "mapmaker/MapChecks.h"

#include <algorithm>
#include <deque>

#include "world/CellKind.h"
#include "world/Torus.h"

namespace {

constexpr int kSteps[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}}; // up, right, down, left, as turrets face
constexpr const char* kWays[] = {"above", "to the right of", "below", "to the left of"};
constexpr const char* kTeams[] = {"Red", "Blue"};

std::string Line(int line)
{
    return "line " + std::to_string(line);
}

} // namespace

MapChecks::MapChecks(const MapGrid& grid) : grid(grid)
{
    Size();
    spawns = CellsOf(kCellSpawnPoint);
    fromFirstSpawn = spawns.empty() ? std::vector<int>(grid.cells.size(), -1) : Distances({spawns[0]});
    Spawns();
    Fuel();
    Turrets();
    Bases();
    Pockets();
}

void MapChecks::Size()
{
    if (grid.columns < kViewColumns || grid.rows < kViewRows) {
        problems.push_back({grid.nameLine, 0,
                            std::to_string(grid.columns) + " x " + std::to_string(grid.rows) +
                                " cells, less than a screen's " + std::to_string(kViewColumns) + " x " +
                                std::to_string(kViewRows) + ": its seams would show twice"});
    }
}

void MapChecks::Spawns()
{
    if (spawns.empty()) {
        problems.push_back({grid.nameLine, 0, "no spawn point (@)"});
        return;
    }
    for (const Cell& spawn : spawns) {
        int room = 0;
        for (const auto& step : kSteps)
            room = std::max(room, StraightRun(spawn, step[0], step[1]));
        if (room < kSpawnRoom)
            Report(spawn, "a spawn point with no room: " + std::to_string(kSpawnRoom) +
                              " open cells in a straight line from it in no direction");
        if (fromFirstSpawn[Index(spawn.column, spawn.row)] < 0)
            Report(spawn, "a spawn point cut off from the one on " + Line(grid.rowLines[spawns[0].row]));
    }
}

void MapChecks::Fuel()
{
    const std::vector<Cell> blocks = CellsOf(kCellFuel);
    if (blocks.empty()) {
        problems.push_back({grid.nameLine, 0, "no fuel block ($)"});
        return;
    }
    // Where a ship may draw fuel: open cells within reach of a block.
    std::vector<Cell> refuelling;
    for (const Cell& block : blocks) {
        bool reached = false;
        for (int dc = -kRefuelReach; dc <= kRefuelReach; ++dc) {
            for (int dr = -kRefuelReach; dr <= kRefuelReach; ++dr) {
                const int c = FoldCell(block.column + dc, grid.columns), r = FoldCell(block.row + dr, grid.rows);
                if (!Open(c, r))
                    continue;
                refuelling.push_back({c, r});
                reached = reached || fromFirstSpawn[Index(c, r)] >= 0;
            }
        }
        if (!reached && !spawns.empty())
            Report(block, "a fuel block no ship reaches within " + std::to_string(kRefuelReach) + " cells of");
    }
    const std::vector<int> toFuel = Distances(refuelling);
    for (const Cell& spawn : spawns) {
        const int steps = toFuel[Index(spawn.column, spawn.row)];
        if (steps < 0 || steps > kFuelReach)
            Report(spawn, "no fuel within " + std::to_string(kFuelReach) + " cells' flight of this spawn point");
    }
}

void MapChecks::Turrets()
{
    for (const Cell& site : CellsOf(kCellTurretSite)) {
        const int facing = grid.At(site.column, site.row).extra;
        if (!Open(site.column + kSteps[facing][0], site.row + kSteps[facing][1]))
            Report(site, std::string("a turret site facing a wall: the cell ") + kWays[facing] + " it is not open");
    }
}

void MapChecks::Bases()
{
    for (std::size_t i = 0; i < grid.bases.size(); ++i) {
        const MapBase& base = grid.bases[i];
        const std::string team = kTeams[base.team - 1];
        bool wayIn = false;
        for (const auto& step : kSteps)
            wayIn = wayIn || Open(base.column + step[0], base.row + step[1]);
        if (!wayIn)
            problems.push_back({grid.baseLines[i], base.column + 1, "the " + team + " base is walled in"});
        else if (!spawns.empty() && fromFirstSpawn[Index(base.column, base.row)] < 0)
            problems.push_back({grid.baseLines[i], base.column + 1,
                                "the " + team + " base cannot be reached from the spawn points"});
    }
}

// Open space no ship reaches, where a powerup may still fall: a powerup
// falls on a cell with open space all round it.
void MapChecks::Pockets()
{
    if (spawns.empty())
        return;
    std::vector<int> reached = fromFirstSpawn;
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            if (reached[Index(c, r)] < 0 && Open(c, r) && FillPocket({c, r}, reached))
                Report({c, r}, "open space that no ship reaches, where powerups may fall");
        }
    }
}

bool MapChecks::FillPocket(Cell start, std::vector<int>& reached) const
{
    bool roomy = false;
    std::vector<Cell> open{start};
    reached[Index(start.column, start.row)] = 0;
    while (!open.empty()) {
        const Cell here = open.back();
        open.pop_back();
        bool all = true;
        for (int dc = -1; dc <= 1; ++dc)
            for (int dr = -1; dr <= 1; ++dr)
                all = all && Open(here.column + dc, here.row + dr);
        roomy = roomy || all;
        for (const auto& step : kSteps) {
            const Cell there{FoldCell(here.column + step[0], grid.columns), FoldCell(here.row + step[1], grid.rows)};
            if (reached[Index(there.column, there.row)] < 0 && Open(there.column, there.row)) {
                reached[Index(there.column, there.row)] = 0;
                open.push_back(there);
            }
        }
    }
    return roomy;
}

bool MapChecks::Open(int column, int row) const
{
    const std::uint8_t kind = grid.At(column, row).kind;
    return kind == kCellEmpty || kind == kCellSpawnPoint;
}

std::size_t MapChecks::Index(int column, int row) const
{
    return static_cast<std::size_t>(FoldCell(row, grid.rows) * grid.columns + FoldCell(column, grid.columns));
}

std::vector<MapChecks::Cell> MapChecks::CellsOf(std::uint8_t kind) const
{
    std::vector<Cell> found;
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            if (grid.At(c, r).kind == kind)
                found.push_back({c, r});
        }
    }
    return found;
}

std::vector<int> MapChecks::Distances(const std::vector<Cell>& starts) const
{
    std::vector<int> distance(grid.cells.size(), -1);
    std::deque<Cell> frontier;
    for (const Cell& start : starts) {
        if (distance[Index(start.column, start.row)] < 0) {
            distance[Index(start.column, start.row)] = 0;
            frontier.push_back(start);
        }
    }
    while (!frontier.empty()) {
        const Cell here = frontier.front();
        frontier.pop_front();
        const int next = distance[Index(here.column, here.row)] + 1;
        for (const auto& step : kSteps) {
            const Cell there{FoldCell(here.column + step[0], grid.columns), FoldCell(here.row + step[1], grid.rows)};
            if (distance[Index(there.column, there.row)] >= 0 || !Open(there.column, there.row))
                continue;
            distance[Index(there.column, there.row)] = next;
            frontier.push_back(there);
        }
    }
    return distance;
}

int MapChecks::StraightRun(Cell from, int dc, int dr) const
{
    int run = 0;
    while (run < kSpawnRoom && Open(from.column + dc * (run + 1), from.row + dr * (run + 1)))
        ++run;
    return run;
}

void MapChecks::Report(Cell at, std::string text)
{
    problems.push_back({grid.rowLines[static_cast<std::size_t>(at.row)], at.column + 1, std::move(text)});
}
