#pragma once

#include <string>
#include <vector>

#include "mapmaker/MapSource.h"

// What makes a well-formed grid a playable map, each fault at the source
// line of its cell. Every check reads across the wrap-around seams, as
// ships fly: the last column's neighbour is the first.
class MapChecks {
public:
    // The cells a 1024 x 768 screen shows at once, with the part-cells at
    // its edges: a smaller map shows its seam twice on one screen, walls
    // repeated beside ships drawn once.
    static constexpr int kViewColumns = 34;
    static constexpr int kViewRows = 26;
    // A ship thrusting the moment it appears must not meet a wall within
    // three cells, half a second of full thrust from rest.
    static constexpr int kSpawnRoom = 3;
    // How far a ship draws fuel from, in cells each way.
    static constexpr int kRefuelReach = 2;
    // From every spawn point a ship refuels within what a quarter of a tank
    // carries at top speed: 5 s of thrust at 24 cells a second.
    static constexpr int kFuelReach = 120;

    explicit MapChecks(const MapGrid& grid);

    const std::vector<MapProblem>& Problems() const { return problems; }

private:
    struct Cell {
        int column;
        int row;
    };

    void Size();
    void Spawns();
    void Fuel();
    void Turrets();
    void Bases();
    void Pockets();

    bool Open(int column, int row) const;
    std::size_t Index(int column, int row) const;
    std::vector<Cell> CellsOf(std::uint8_t kind) const;
    // Steps through open cells from the nearest of the starts; -1 where
    // none of them leads.
    std::vector<int> Distances(const std::vector<Cell>& starts) const;
    int StraightRun(Cell from, int dc, int dr) const;
    // Marks the open cells joined to start; true when a powerup could fall
    // on one of them.
    bool FillPocket(Cell start, std::vector<int>& reached) const;
    void Report(Cell at, std::string text);

    const MapGrid& grid;
    std::vector<MapProblem> problems;
    std::vector<Cell> spawns;
    std::vector<int> fromFirstSpawn;
};
