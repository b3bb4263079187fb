#include "server/game/PowerupSpawner.h"

#include "world/Map.h"
#include "world/Powerup.h"
#include "world/Torus.h"

namespace {
constexpr int kAttempts = 32;
} // namespace

bool PowerupSpawner::IsOpen(const Map& map, int column, int row)
{
    for (int dc = -1; dc <= 1; ++dc) {
        for (int dr = -1; dr <= 1; ++dr) {
            const std::uint8_t kind = map.CellKindAt(column + dc, row + dr);
            if (kind != kCellEmpty && kind != kCellSpawnPoint)
                return false;
        }
    }
    return true;
}

std::optional<PowerupSpawner::Drop> PowerupSpawner::Tick(int ms, const Map& map, std::size_t floating,
                                                         const std::vector<Vector3>& ships)
{
    sinceLast += ms;
    if (sinceLast < kIntervalMs || floating >= kCap || map.Columns() <= 0 || map.Rows() <= 0)
        return std::nullopt;
    sinceLast = 0;
    std::uniform_int_distribution<int> column(0, map.Columns() - 1);
    std::uniform_int_distribution<int> row(0, map.Rows() - 1);
    std::uniform_int_distribution<int> kind(0, Powerup::kKinds - 1);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int c = column(random);
        const int r = row(random);
        if (!IsOpen(map, c, r))
            continue;
        const Vector3 at(c * map.TileWidth() + map.TileWidth() / 2.0, r * map.TileHeight() + map.TileHeight() / 2.0,
                         0.0);
        bool clear = true;
        for (const Vector3& ship : ships) {
            const double dx = FoldDifference(ship.x - at.x, map.WorldWidth());
            const double dy = FoldDifference(ship.y - at.y, map.WorldHeight());
            clear = clear && dx * dx + dy * dy >= kClearance * kClearance;
        }
        if (clear)
            return Drop{at, kind(random)};
    }
    return std::nullopt;
}
