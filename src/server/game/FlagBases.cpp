#include "server/game/FlagBases.h"

#include "server/game/Navigator.h"
#include "world/Map.h"

namespace {

using Cell = Navigator::Cell;

// A turret's reach, and a little more.
constexpr double kGunReach = 450.0;

// Open, and not a spawn point, with open cells all round: a ship reaches
// it from any side and nobody appears on it. Out of the guns' reach, or a
// flag would be the turrets' to guard.
bool Roomy(const Map& map, const Navigator& shape, int column, int row)
{
    if (map.CellKindAt(column, row) != kCellEmpty)
        return false;
    const Vector3 at = shape.CentreOf({column, row});
    for (const Map::Site& gun : map.TurretSites()) {
        if (shape.Offset(at, shape.CentreOf({gun.column, gun.row})).Length() < kGunReach)
            return false;
    }
    for (int dc = -1; dc <= 1; ++dc) {
        for (int dr = -1; dr <= 1; ++dr) {
            if (shape.Blocked(column + dc, row + dr))
                return false;
        }
    }
    return true;
}

// The candidate a flight reaches that lies farthest from a cell, straight
// across the torus: a maze's longest way round would make a round of
// nothing but flying.
Cell Farthest(const Navigator& shape, const std::vector<Cell>& candidates, const Cell& from)
{
    const std::vector<int> steps = shape.Steps(from);
    const Vector3 origin = shape.CentreOf(from);
    Cell farthest = from;
    double most = 0.0;
    for (const Cell& cell : candidates) {
        if (steps[static_cast<std::size_t>(cell.row * shape.Columns() + cell.column)] < 0)
            continue;
        const double distance = shape.Offset(origin, shape.CentreOf(cell)).Length();
        if (distance > most) {
            most = distance;
            farthest = cell;
        }
    }
    return farthest;
}

} // namespace

std::vector<Vector3> FlagBases::Find(const Map& map, const Navigator& shape, std::mt19937& random)
{
    if (map.Bases().size() == 2)
        return {shape.CentreOf({map.Bases()[0].column, map.Bases()[0].row}),
                shape.CentreOf({map.Bases()[1].column, map.Bases()[1].row})};
    std::vector<Cell> candidates;
    for (int row = 0; row < shape.Rows(); ++row) {
        for (int column = 0; column < shape.Columns(); ++column) {
            if (Roomy(map, shape, column, row))
                candidates.push_back({column, row});
        }
    }
    if (candidates.size() < 2)
        return {};
    // Farthest from anywhere, then farthest from that: about as far apart
    // as the map allows.
    const Cell start = candidates[std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random)];
    const Cell red = Farthest(shape, candidates, start);
    const Cell blue = Farthest(shape, candidates, red);
    if (red.column == blue.column && red.row == blue.row)
        return {};
    return {shape.CentreOf(red), shape.CentreOf(blue)};
}
