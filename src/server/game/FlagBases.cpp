#include "server/game/FlagBases.h"

#include <deque>

#include "server/game/Navigator.h"
#include "world/Map.h"
#include "world/Torus.h"

namespace {

using Cell = Navigator::Cell;

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
    return true;
}

// Steps across open cells from one cell to every other; -1 for cells not
// reached.
std::vector<int> Steps(const Navigator& shape, const Cell& from)
{
    const int columns = shape.Columns();
    const int rows = shape.Rows();
    std::vector<int> steps(static_cast<std::size_t>(columns * rows), -1);
    const auto index = [columns](int c, int r) { return static_cast<std::size_t>(r * columns + c); };
    std::deque<Cell> frontier {from};
    steps[index(from.column, from.row)] = 0;
    constexpr int kWays[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!frontier.empty()) {
        const Cell cell = frontier.front();
        frontier.pop_front();
        for (const auto& way : kWays) {
            const Cell next {FoldCell(cell.column + way[0], columns), FoldCell(cell.row + way[1], rows)};
            if (shape.Blocked(next.column, next.row) || steps[index(next.column, next.row)] >= 0)
                continue;
            steps[index(next.column, next.row)] = steps[index(cell.column, cell.row)] + 1;
            frontier.push_back(next);
        }
    }
    return steps;
}

// The candidate the most steps from a cell; the cell itself when none is reached.
Cell Farthest(const Navigator& shape, const std::vector<Cell>& candidates, const Cell& from)
{
    const std::vector<int> steps = Steps(shape, from);
    Cell farthest = from;
    int most = 0;
    for (const Cell& cell : candidates) {
        const int count = steps[static_cast<std::size_t>(cell.row * shape.Columns() + cell.column)];
        if (count > most) {
            most = count;
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
    // Farthest from anywhere, then farthest from that: the two ends of
    // about the longest flight the map has.
    const Cell start = candidates[std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random)];
    const Cell red = Farthest(shape, candidates, start);
    const Cell blue = Farthest(shape, candidates, red);
    if (red.column == blue.column && red.row == blue.row)
        return {};
    return {shape.CentreOf(red), shape.CentreOf(blue)};
}
