#include "world/Walls.h"

#include <algorithm>
#include <cstdlib>

#include "world/Ship.h"
#include "world/Torus.h"

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
    MeasureDistances();
}

void Walls::MeasureDistances()
{
    const int columns = map->Columns();
    const int rows = map->Rows();
    distance.assign(static_cast<std::size_t>(std::max(0, columns * rows)), kFar);
    const auto at = [&](int c, int r) -> std::uint8_t& {
        return distance[static_cast<std::size_t>(FoldCell(r, rows) * columns + FoldCell(c, columns))];
    };
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t kind = map->CellKindAt(c, r);
            if (kind >= cells.size() || !cells[kind])
                continue;
            for (int dc = 1 - kFar; dc < kFar; ++dc) {
                for (int dr = 1 - kFar; dr < kFar; ++dr) {
                    const auto away = static_cast<std::uint8_t>(std::max(std::abs(dc), std::abs(dr)));
                    std::uint8_t& near = at(c + dc, r + dr);
                    near = std::min(near, away);
                }
            }
        }
    }
}

bool Walls::FarFromWalls(const Vector3& at, double reach, double tile) const
{
    if (distance.empty() || tile <= 0.0)
        return false;
    const int column = FoldCell(static_cast<int>(std::floor(at.x / tile)), map->Columns());
    const int row = FoldCell(static_cast<int>(std::floor(at.y / tile)), map->Rows());
    // kFar stands for kFar or more: as near as it can be.
    return distance[static_cast<std::size_t>(row * map->Columns() + column)] > reach / tile + 1.5;
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
