#include "server/game/FlagBases.h"

#include <algorithm>

#include "server/game/Navigator.h"
#include "world/Map.h"

namespace {

using Cell = Navigator::Cell;

// Not this near a gun, or the flag would be the turret's to guard; a gun's
// whole reach would leave a map full of guns without places.
constexpr double kGunReach = 200.0;

// Open, and not a spawn point, with open cells all round: a ship reaches
// it from any side and nobody appears on it.
bool Roomy(const Map& map, const Navigator& shape, int column, int row)
{
    if (map.CellKindAt(column, row) != kCellEmpty)
        return false;
    for (int dc = -1; dc <= 1; ++dc) {
        for (int dr = -1; dr <= 1; ++dr) {
            if (shape.Blocked(column + dc, row + dr))
                return false;
        }
    }
    // The guns last: the dearest test, for the few cells left.
    const Vector3 at = shape.CentreOf({column, row});
    for (const Map::Site& gun : map.TurretSites()) {
        if (shape.Offset(at, shape.CentreOf({gun.column, gun.row})).Length() < kGunReach)
            return false;
    }
    return true;
}

// A pair of candidates, how far apart straight across the torus and in
// steps of a flight between them.
struct Pair {
    Cell red;
    Cell blue;
    double straight;
    int flight;
};

constexpr double kNearlyAsFar = 0.75;

// Of the pairs from a few of the candidates, evenly spread from the drawn
// one, to every candidate a flight from them reaches: those nearly as far
// apart as the farthest, in the order met. A pair is kept while it is near
// enough to the farthest so far, which only grows: a large map has pairs
// by the hundred thousand.
std::vector<Pair> FarPairs(const Navigator& shape, const std::vector<Cell>& candidates, std::size_t first)
{
    constexpr std::size_t kOrigins = 32;
    const std::size_t origins = std::min(kOrigins, candidates.size());
    std::vector<Pair> pairs;
    double farthest = 0.0;
    for (std::size_t o = 0; o < origins; ++o) {
        const Cell& origin = candidates[(first + o * candidates.size() / origins) % candidates.size()];
        const std::vector<int> steps = shape.Steps(origin);
        for (const Cell& other : candidates) {
            const int flight = steps[static_cast<std::size_t>(other.row * shape.Columns() + other.column)];
            const double straight = shape.Offset(shape.CentreOf(origin), shape.CentreOf(other)).Length();
            if (flight <= 0 || straight < kNearlyAsFar * farthest)
                continue;
            farthest = std::max(farthest, straight);
            pairs.push_back({origin, other, straight, flight});
        }
    }
    std::erase_if(pairs, [&](const Pair& pair) { return pair.straight < kNearlyAsFar * farthest; });
    return pairs;
}

} // namespace

bool FlagBases::Marked(const Map& map, const Navigator& shape)
{
    if (map.Bases().size() != 2)
        return false;
    const Cell red {map.Bases()[0].column, map.Bases()[0].row};
    const Cell blue {map.Bases()[1].column, map.Bases()[1].row};
    if (shape.Blocked(red.column, red.row) || shape.Blocked(blue.column, blue.row))
        return false;
    return shape.Steps(red)[static_cast<std::size_t>(blue.row * shape.Columns() + blue.column)] > 0;
}

std::vector<Vector3> FlagBases::Find(const Map& map, const Navigator& shape, std::mt19937& random)
{
    if (Marked(map, shape))
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
    // Of the pairs nearly as far apart as any, the one with the shortest
    // flight: a maze's longest way round would make a round of nothing but
    // flying.
    const std::size_t first = std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random);
    const std::vector<Pair> pairs = FarPairs(shape, candidates, first);
    const Pair* best = nullptr;
    for (const Pair& pair : pairs) {
        if (!best || pair.flight < best->flight)
            best = &pair;
    }
    if (!best)
        return {};
    const Cell red = best->red;
    const Cell blue = best->blue;
    return {shape.CentreOf(red), shape.CentreOf(blue)};
}
