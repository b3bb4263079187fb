#include "world/Walls.h"

#include "world/Ship.h"

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

WallCell* Walls::Rebound(Ship& ship, const Vector3& before, double seconds)
{
    if (!map)
        return nullptr;
    const auto width = static_cast<float>(map->WorldWidth());
    const auto height = static_cast<float>(map->WorldHeight());
    const auto touches = [&](WallCell& cell) { return ship.Collides(&cell, width, height); };
    WallCell* wall = FirstTouching(ship, touches);
    if (!wall || !ship.IsShielded())
        return wall;
    const Vector3 came = ship.Velocity();
    ship.OnHit(wall);
    // Where the rebound leads, one more step on.
    ship.SetPosition(before + ship.Velocity() * seconds);
    ship.Wrap(map->WorldWidth(), map->WorldHeight());
    if (FirstTouching(ship, touches))
        ship.SetVelocity(came * -1.0);
    ship.SetPosition(before);
    return wall;
}
