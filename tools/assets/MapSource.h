#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A map as its readable source describes it. The source is text:
//
//   ; a comment
//   name Open Arena
//   ..#####..
//   .J$...L@.
//
// then one line per row of cells, one character per cell:
//   .  empty                 #  wall
//   J  half wall, its right angle at the lower right
//   L  half wall, lower left     F  half wall, upper left
//   7  half wall, upper right    $  fuel block
//   ^ > v <  turret site facing up, right, down, left
//   @  spawn point
//   R B  the Red and the Blue team's base, on open space: a map has
//        both or neither
// Every row has the same length.
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

struct MapGrid {
    std::string name;
    int columns = 0;
    int rows = 0;
    std::vector<MapCell> cells; // row-major
    std::vector<MapBase> bases; // Red's then Blue's, or none

    const MapCell& At(int column, int row) const { return cells[static_cast<std::size_t>(row * columns + column)]; }
};

// Parses a source; false with a message naming the line on a mistake.
bool ParseMapSource(const std::string& text, MapGrid& grid, std::string& error);

// The ".smp" file: name, size, then the cells column by column; after
// them, for a map with bases, "QRBS", a count and each base as team (u8),
// column and row (u32), which a reader of the cells alone never reaches.
std::vector<std::uint8_t> EncodeMapFile(const MapGrid& grid);

// The radar's picture of the map: walls and fuel blocks to scale on a
// dark square of side pixels, RGBA, top row first.
std::vector<std::uint8_t> RenderMinimap(const MapGrid& grid, int side);
