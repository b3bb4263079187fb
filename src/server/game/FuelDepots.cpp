#include "server/game/FuelDepots.h"

#include <algorithm>
#include <cmath>

#include "world/Map.h"
#include "world/Torus.h"

void FuelDepots::Reset(const Map& map)
{
    depots.clear();
    byCell.clear();
    columns = map.Columns();
    rows = map.Rows();
    for (int r = 0; r < map.Rows(); ++r) {
        for (int c = 0; c < map.Columns(); ++c) {
            if (map.CellKindAt(c, r) != kCellFuel)
                continue;
            const std::uint8_t value = map.CellExtraAt(c, r);
            byCell[r * columns + c] = depots.size();
            depots.push_back({c, r, value, value, static_cast<float>(value)});
        }
    }
}

std::uint8_t FuelDepots::ByteOf(float drawn)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(drawn), 0L, 255L));
}

std::size_t FuelDepots::IndexOf(int column, int row) const
{
    const auto found = byCell.find(FoldCell(row, rows) * columns + FoldCell(column, columns));
    return found == byCell.end() ? kNone : found->second;
}

float FuelDepots::Draw(Map& map, int column, int row, float amount)
{
    const std::size_t at = IndexOf(column, row);
    if (at == kNone || amount <= 0.0f)
        return 0.0f;
    Depot& depot = depots[at];
    const float given = std::min(amount, kCapacity - depot.drawn);
    depot.drawn += given;
    map.SetCellExtra(depot.column, depot.row, ByteOf(depot.drawn));
    return given;
}

void FuelDepots::Regrow(Map& map, int ms)
{
    const float growth = kRegrowthPerSecond * static_cast<float>(ms) / 1000.0f;
    for (Depot& depot : depots) {
        if (depot.drawn <= 0.0f)
            continue;
        depot.drawn = std::max(0.0f, depot.drawn - growth);
        map.SetCellExtra(depot.column, depot.row, ByteOf(depot.drawn));
    }
}

float FuelDepots::Level(int column, int row) const
{
    const std::size_t at = IndexOf(column, row);
    return at == kNone ? 0.0f : kCapacity - depots[at].drawn;
}

std::vector<FuelDepots::Change> FuelDepots::TakeChanges()
{
    std::vector<Change> changes;
    for (Depot& depot : depots) {
        const std::uint8_t now = ByteOf(depot.drawn);
        if (now != depot.reported) {
            depot.reported = now;
            changes.push_back({depot.column, depot.row, now});
        }
    }
    return changes;
}

std::vector<FuelDepots::Change> FuelDepots::DifferencesFromFile() const
{
    std::vector<Change> differences;
    for (const Depot& depot : depots) {
        if (ByteOf(depot.drawn) != depot.fileValue)
            differences.push_back({depot.column, depot.row, ByteOf(depot.drawn)});
    }
    return differences;
}
