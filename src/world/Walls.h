#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "world/Map.h"
#include "world/WallCell.h"

class Ship;

// The walls and fuel blocks of a map as things to touch: one cell object
// for every shape, put in place of each cell near what is tested. The
// server's contacts and the player's program's own ship both go through it.
class Walls {
public:
    // The shapes of the map's cells; the map must outlive the walls.
    void Learn(const Map& map);
    const Map* Of() const { return map; }

    // The first wall cell near the object for which touches(cell) holds,
    // or null.
    template <typename Touches>
    WallCell* FirstTouching(const GameObject& object, Touches touches);

    // The wall a ship touches after its move of seconds from before, or
    // null. A shield rebounds off it back at before; a rebound that would
    // carry the ship straight into a wall again turns it round instead, so
    // that a shield never clings to a corner paying for a rebound every
    // step. A bare hull's touch is the caller's to judge.
    WallCell* Rebound(Ship& ship, const Vector3& before, double seconds);

private:
    // Farther than this from every wall cell counts as far; open space
    // that far out spares an object its look at the cells around it.
    static constexpr std::uint8_t kFar = 4;

    // Whether no wall cell lies within reach + a cell of the point; the
    // cells FirstTouching looks at lie less than reach / tile + 0.5 cells
    // from the point's own, and one more cell covers rounding.
    bool FarFromWalls(const Vector3& at, double reach, double tile) const;
    void MeasureDistances();

    const Map* map = nullptr;
    std::array<std::unique_ptr<WallCell>, kCellFuel + 1> cells;
    // Each cell's distance in cells to the nearest wall cell, across the
    // seams, counted up to kFar: most things are nowhere near a wall.
    std::vector<std::uint8_t> distance;
};

template <typename Touches>
WallCell* Walls::FirstTouching(const GameObject& object, Touches touches)
{
    if (!map)
        return nullptr;
    // A wall's outline can touch only while the circles do: its centre
    // lies within the object's radius and the outline's corner distance.
    const double reach = object.GetRadius() + WallCell::kCornerDistance;
    const double tile = map->TileWidth();
    if (FarFromWalls(object.Position(), reach, tile))
        return nullptr;
    const double x = object.Position().x - tile / 2.0;
    const double y = object.Position().y - tile / 2.0;
    const int lastColumn = static_cast<int>(std::floor((x + reach) / tile));
    const int lastRow = static_cast<int>(std::floor((y + reach) / tile));
    for (int c = static_cast<int>(std::ceil((x - reach) / tile)); c <= lastColumn; ++c) {
        for (int r = static_cast<int>(std::ceil((y - reach) / tile)); r <= lastRow; ++r) {
            const std::uint8_t kind = map->CellKindAt(c, r);
            if (kind >= cells.size() || !cells[kind])
                continue;
            WallCell& wall = *cells[kind];
            wall.MoveTo(*map, c, r);
            if (touches(wall))
                return &wall;
        }
    }
    return nullptr;
}
