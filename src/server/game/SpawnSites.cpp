#include "server/game/SpawnSites.h"

#include "server/game/Navigator.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Trig.h"

namespace {

constexpr int kWays = 32;

SpawnSites::Site Facing(const Vector3& at, const Navigator& shape)
{
    SpawnSites::Site site {at, 0.0f, false};
    double room = -1.0;
    for (int step = 0; step < kWays; ++step) {
        const float heading = 360.0f * static_cast<float>(step) / kWays;
        const double free = shape.FreeDistance(at, HeadingDirection(heading), SpawnSites::kRoom, Ship::kHalfSize);
        if (free > room) {
            room = free;
            site.heading = heading;
        }
    }
    site.roomy = room >= SpawnSites::kRoom;
    return site;
}

} // namespace

void SpawnSites::Find(const Map& map, const Navigator& shape)
{
    std::vector<Map::Site> cells = map.SpawnPoints();
    if (cells.empty()) {
        for (int c = 0; c < map.Columns(); ++c) {
            for (int r = 0; r < map.Rows(); ++r) {
                if (map.CellKindAt(c, r) == kCellEmpty)
                    cells.push_back({c, r, 0});
            }
        }
    }
    sites.clear();
    for (const Map::Site& cell : cells) {
        sites.push_back(Facing(Vector3(cell.column * map.TileWidth() + map.TileWidth() / 2.0,
                                       cell.row * map.TileHeight() + map.TileHeight() / 2.0, 0.0),
                                shape));
    }
}
