#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A map as its readable source describes it (the format is in docs/MAPS.md):
//
//   ; a comment
//   name Arena
//   ..#####..
//   .J$...L@.
//
// a name line, then one line per row of cells, one character per cell.
struct MapCell {
    std::uint8_t kind = 0;
    std::uint8_t extra = 0;
};

// Where a team keeps its flag, in a game of capture the flag.
struct MapBase {
    std::uint8_t team = 0; // a Team's wire number
    int column = 0;
    int row = 0;
};

// What is wrong with a source, where: column 0 names the line as a whole.
struct MapProblem {
    int line = 0;
    int column = 0;
    std::string text;

    bool operator==(const MapProblem&) const = default;
};

struct MapGrid {
    // Larger would not fit the 4 MB a map may take on the wire, nor a radar
    // picture a player's card can hold.
    static constexpr int kMaxColumns = 512;
    static constexpr int kMaxRows = 512;
    // Well within the 127 characters of the radar's path to the picture,
    // "..\\Maps\\NAME.bmp".
    static constexpr std::size_t kMaxNameLength = 63;

    std::string name;
    int nameLine = 0;
    int columns = 0;
    int rows = 0;
    std::vector<MapCell> cells;  // row-major
    std::vector<int> rowLines;   // the source line of each row
    std::vector<MapBase> bases;  // Red's then Blue's, or none
    std::vector<int> baseLines;  // the source line of each base

    // The cell at a position folded onto the grid: its edges wrap.
    const MapCell& At(int column, int row) const;
};

// Reads a source; false, with every problem found, when it is not a map.
bool ParseMapSource(const std::string& text, MapGrid& grid, std::vector<MapProblem>& problems);

// The ".smp" file: name, size, then the cells column by column; after
// them, for a map with bases, "QRBS", a count and each base as team (u8),
// column and row (u32), which a reader of the cells alone never reaches.
std::vector<std::uint8_t> EncodeMapFile(const MapGrid& grid);
