#include "world/Walls.h"

void Walls::Learn(const Map& newMap)
{
    map = &newMap;
    for (auto& cell : cells)
        cell.reset();
    for (int c = 0; c < newMap.Columns(); ++c) {
        for (int r = 0; r < newMap.Rows(); ++r) {
            const std::uint8_t kind = newMap.CellKindAt(c, r);
            if (kind < cells.size() && !cells[kind] && !newMap.GetTilePolygon(c, r).Empty())
                cells[kind] = std::make_unique<WallCell>(newMap.GetTilePolygon(c, r));
        }
    }
}
