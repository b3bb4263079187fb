#include "server/game/Navigator.h"

#include <cmath>
#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

#include "world/Map.h"
#include "world/Torus.h"

namespace {

// Walls, bevels, fuel blocks and turrets stand in the way; spawn points and
// empty cells do not.
bool Solid(std::uint8_t kind)
{
    return kind >= kCellWall && kind <= kCellTurretSite;
}

constexpr double kStep = 8.0; // sampling distance along a line, a quarter cell
constexpr int kWays[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

} // namespace

bool Navigator::Learn(const Map& map, const std::string& name)
{
    if (name == learnedName && map.Columns() == columns && map.Rows() == rows)
        return false;
    learnedName = name;
    columns = map.Columns();
    rows = map.Rows();
    tileWidth = map.TileWidth() > 0 ? map.TileWidth() : 32;
    tileHeight = map.TileHeight() > 0 ? map.TileHeight() : 32;
    blocked.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    kept.clear();
    cameFrom.clear();
    frontier.clear();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            blocked[static_cast<std::size_t>(row * columns + column)] = Solid(map.CellKindAt(column, row)) ? 1 : 0;
    }
    MeasureRoom();
    closed = blocked;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (Narrow(column, row))
                closed[IndexOf(column, row)] = 1;
        }
    }
    return true;
}

bool Navigator::Narrow(int column, int row) const
{
    return !Blocked(column, row) && ((Blocked(column - 1, row) && Blocked(column + 1, row)) ||
                                     (Blocked(column, row - 1) && Blocked(column, row + 1)));
}

void Navigator::MeasureRoom()
{
    // Outwards from every blocked cell at once, eight ways: the rings
    // reached are the distances along the larger axis.
    constexpr int kFar = 1 << 20;
    room.assign(blocked.size(), kFar);
    std::vector<Cell> reached;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (blocked[static_cast<std::size_t>(row * columns + column)] != 0) {
                room[static_cast<std::size_t>(row * columns + column)] = 0;
                reached.push_back({column, row});
            }
        }
    }
    for (std::size_t head = 0; head < reached.size(); ++head) {
        const Cell here = reached[head];
        const int ring = room[IndexOf(here.column, here.row)] + 1;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const std::size_t there = IndexOf(here.column + dc, here.row + dr);
                if (room[there] <= ring)
                    continue;
                room[there] = ring;
                reached.push_back({FoldCell(here.column + dc, columns), FoldCell(here.row + dr, rows)});
            }
        }
    }
}

bool Navigator::BlockedAt(double x, double y) const
{
    return !blocked.empty() && blocked[IndexAt(x, y)] != 0;
}

Navigator::Cell Navigator::CellOf(const Vector3& at) const
{
    return {FoldCell(static_cast<int>(std::floor(WithinTwoTurns(at.x, columns * tileWidth) / tileWidth)), columns),
            FoldCell(static_cast<int>(std::floor(WithinTwoTurns(at.y, rows * tileHeight) / tileHeight)), rows)};
}

Vector3 Navigator::CentreOf(const Cell& cell) const
{
    return {cell.column * tileWidth + tileWidth / 2.0, cell.row * tileHeight + tileHeight / 2.0, 0.0};
}

Vector3 Navigator::MiddleOf(const Cell& cell) const
{
    const auto shift = [&](int dc, int dr) {
        const bool before = Blocked(cell.column - dc, cell.row - dr);
        const bool after = Blocked(cell.column + dc, cell.row + dr);
        return before == after ? 0.0 : (before ? 0.5 : -0.5);
    };
    const Vector3 centre = CentreOf(cell);
    return {centre.x + shift(1, 0) * tileWidth, centre.y + shift(0, 1) * tileHeight, 0.0};
}

Vector3 Navigator::Offset(const Vector3& from, const Vector3& to) const
{
    return {FoldDifference(to.x - from.x, columns * tileWidth), FoldDifference(to.y - from.y, rows * tileHeight), 0.0};
}

std::vector<Navigator::Cell> Navigator::Route(const Vector3& start, const std::function<bool(const Cell&)>& arrived,
                                              int limit) const
{
    if (blocked.empty())
        return {};
    const Cell first = CellOf(start);
    const auto index = [this](const Cell& c) { return static_cast<std::size_t>(c.row * columns + c.column); };
    // Robots ask for routes many times a second: the search's memory is
    // kept, and only what the last search marked is cleared.
    cameFrom.resize(blocked.size(), -1);
    for (const Cell& seen : frontier)
        cameFrom[index(seen)] = -1;
    frontier.assign(1, first);
    cameFrom[index(first)] = static_cast<int>(index(first));
    int visited = 0;
    for (std::size_t head = 0; head < frontier.size() && visited++ < limit; ++head) {
        const Cell here = frontier[head];
        if (arrived(here)) {
            std::vector<Cell> route;
            for (std::size_t at = index(here);; at = static_cast<std::size_t>(cameFrom[at])) {
                route.push_back({static_cast<int>(at) % columns, static_cast<int>(at) / columns});
                if (at == index(first))
                    break;
            }
            return {route.rbegin(), route.rend()};
        }
        for (const auto& step : kWays) {
            const Cell next{FoldCell(here.column + step[0], columns), FoldCell(here.row + step[1], rows)};
            // The ship may start inside a cell it should not be in; it may
            // always leave it, never enter another.
            if (cameFrom[index(next)] >= 0 || closed[index(next)] != 0)
                continue;
            cameFrom[index(next)] = static_cast<int>(index(here));
            frontier.push_back(next);
        }
    }
    return {};
}

std::vector<int> Navigator::Steps(const Cell& from) const
{
    std::vector<int> steps(blocked.size(), -1);
    if (blocked.empty())
        return steps;
    const auto index = [this](const Cell& c) { return static_cast<std::size_t>(c.row * columns + c.column); };
    const Cell first {FoldCell(from.column, columns), FoldCell(from.row, rows)};
    std::vector<Cell> reached {first};
    steps[index(first)] = 0;
    for (std::size_t head = 0; head < reached.size(); ++head) {
        const Cell here = reached[head];
        for (const auto& way : kWays) {
            const Cell next {FoldCell(here.column + way[0], columns), FoldCell(here.row + way[1], rows)};
            if (steps[index(next)] >= 0 || closed[index(next)] != 0)
                continue;
            steps[index(next)] = steps[index(here)] + 1;
            reached.push_back(next);
        }
    }
    return steps;
}

std::vector<int> Navigator::Costs(const Cell& goal) const
{
    std::vector<int> costs(blocked.size(), -1);
    if (blocked.empty())
        return costs;
    using Reached = std::pair<int, std::size_t>;
    std::priority_queue<Reached, std::vector<Reached>, std::greater<>> open;
    const std::size_t first = IndexOf(goal.column, goal.row);
    costs[first] = 0;
    open.push({0, first});
    while (!open.empty()) {
        const auto [cost, at] = open.top();
        open.pop();
        if (cost != costs[at])
            continue;
        const int column = static_cast<int>(at) % columns;
        const int row = static_cast<int>(at) / columns;
        for (const auto& way : kWays) {
            const std::size_t next = IndexOf(column + way[0], row + way[1]);
            const int through = cost + Weight(at);
            if (closed[next] != 0 || (costs[next] >= 0 && costs[next] <= through))
                continue;
            costs[next] = through;
            open.push({through, next});
        }
    }
    return costs;
}

std::vector<Navigator::Cell> Navigator::RouteTo(const Vector3& start, const Cell& goal) const
{
    if (blocked.empty())
        return {};
    auto known = std::find_if(kept.begin(), kept.end(), [&goal](const StepsTo& k) {
        return k.goal.column == goal.column && k.goal.row == goal.row;
    });
    if (known == kept.end()) {
        if (kept.size() >= kKeptGoals)
            kept.erase(kept.begin());
        kept.push_back({goal, Costs(goal)});
        known = kept.end() - 1;
    }
    const std::vector<int>& costs = known->costs;
    const auto costAt = [&](const Cell& c) { return costs[IndexOf(c.column, c.row)]; };
    // What the rest of the way costs through a neighbour, entering it.
    const auto through = [&](const Cell& c) { return costAt(c) + Weight(IndexOf(c.column, c.row)); };
    const auto step = [&](const Cell& c, const auto& way) {
        return Cell {FoldCell(c.column + way[0], columns), FoldCell(c.row + way[1], rows)};
    };
    Cell here = CellOf(start);
    std::vector<Cell> route {here};
    // Each step through the neighbour the rest of the way is cheapest; a ship inside a cell it should
    // not be in (no cost) leaves it by any open side.
    for (int left = costAt(here); left != 0;) {
        const auto* best = std::end(kWays);
        for (const auto* way = std::begin(kWays); way != std::end(kWays); ++way) {
            const int there = costAt(step(here, *way));
            if (there >= 0 && (left < 0 || there < left) &&
                (best == std::end(kWays) || through(step(here, *way)) < through(step(here, *best))))
                best = way;
        }
        if (best == std::end(kWays))
            return {};
        here = step(here, *best);
        left = costAt(here);
        route.push_back(here);
    }
    return route;
}

Vector3 Navigator::Waypoint(const Vector3& start, const std::vector<Cell>& route, double halfWidth) const
{
    if (route.empty())
        return start;
    // Looking a dozen cells ahead is plenty; farther costs more than it saves.
    const std::size_t last = std::min<std::size_t>(route.size() - 1, 12);
    for (std::size_t i = last; i > 0; --i) {
        const Vector3 point = start + Offset(start, MiddleOf(route[i]));
        if (ClearLine(start, point, halfWidth))
            return point;
    }
    return start + Offset(start, MiddleOf(route.size() > 1 ? route[1] : route[0]));
}

bool Navigator::ClearLine(const Vector3& a, const Vector3& b, double halfWidth) const
{
    const Vector3 d = Offset(a, b);
    const double length = d.Length();
    if (length <= 0.0)
        return !BlockedAt(a.x, a.y);
    return FreeDistance(a, d * (1.0 / length), length, halfWidth) >= length;
}

double Navigator::FreeDistance(const Vector3& start, const Vector3& direction, double reach, double halfWidth) const
{
    if (blocked.empty())
        return reach;
    // The middle and, for a body with width, its two sides.
    const double sideX[3] = {0.0, -direction.y * halfWidth, direction.y * halfWidth};
    const double sideY[3] = {0.0, direction.x * halfWidth, -direction.x * halfWidth};
    const int lanes = halfWidth != 0.0 ? 3 : 1;
    // A quarter-cell step mostly lands in the cell just found open.
    std::size_t open[3] = {blocked.size(), blocked.size(), blocked.size()};
    double clearUntil = 0.0;
    for (double s = 0.0; s < reach + kStep; s += kStep) {
        const double along = std::min(s, reach);
        if (along < clearUntil)
            continue;
        const double x = start.x + direction.x * along;
        const double y = start.y + direction.y * along;
        for (int lane = 0; lane < lanes; ++lane) {
            const std::size_t cell = IndexAt(x + sideX[lane], y + sideY[lane]);
            if (cell == open[lane])
                continue;
            if (blocked[cell] != 0)
                return std::max(0.0, along - kStep);
            open[lane] = cell;
        }
        // No wall within a square around the middle: the samples whose
        // sides stay inside it are open too (less a unit for rounding).
        const double clear = (room[IndexAt(x, y)] - 1.0) * std::min(tileWidth, tileHeight) - halfWidth - 1.0;
        clearUntil = std::max(clearUntil, along + clear);
    }
    return reach;
}

bool Navigator::BoxBlocked(double x, double y, double halfSize) const
{
    // A side exactly on a cell's edge does not reach into that cell.
    constexpr double kShy = 1e-6;
    const int left = static_cast<int>(std::floor((x - halfSize) / tileWidth));
    const int right = static_cast<int>(std::floor((x + halfSize - kShy) / tileWidth));
    const int top = static_cast<int>(std::floor((y - halfSize) / tileHeight));
    const int bottom = static_cast<int>(std::floor((y + halfSize - kShy) / tileHeight));
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            if (Blocked(column, row))
                return true;
        }
    }
    return false;
}

double Navigator::Fit(double x, double y, double halfSize) const
{
    const int left = static_cast<int>(std::floor((x - halfSize) / tileWidth));
    const int right = static_cast<int>(std::floor((x + halfSize) / tileWidth));
    const int top = static_cast<int>(std::floor((y - halfSize) / tileHeight));
    const int bottom = static_cast<int>(std::floor((y + halfSize) / tileHeight));
    double fit = halfSize;
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            if (!Blocked(column, row))
                continue;
            // How far the cell lies from the point along the larger axis.
            const double dx = std::max({column * tileWidth - x, x - (column + 1) * tileWidth, 0.0});
            const double dy = std::max({row * tileHeight - y, y - (row + 1) * tileHeight, 0.0});
            fit = std::min(fit, std::max(dx, dy));
        }
    }
    return fit;
}

Navigator::Meeting Navigator::Sweep(const Vector3& start, const Vector3& direction, double reach,
                                    double halfSize) const
{
    // Finer than a line's samples: a hull has a few pixels to spare in a
    // passage two cells wide.
    constexpr double kSlide = 4.0;
    if (blocked.empty())
        return {reach, false, false};
    // A hull already touching a wall sweeps as the box that fits where it
    // is: what it touches stops only the motion deeper into it.
    const double size = Fit(start.x, start.y, halfSize);
    if (size <= 0.0)
        return {0.0, true, true};
    double x = start.x;
    double y = start.y;
    double clearUntil = 0.0;
    for (double along = kSlide; along < reach + kSlide; along += kSlide) {
        const double s = std::min(along, reach);
        const double nextX = start.x + direction.x * s;
        const double nextY = start.y + direction.y * s;
        // No wall within a square around the centre: nothing to look at
        // until the box could reach past it.
        if (s >= clearUntil) {
            if (BoxBlocked(nextX, nextY, size)) {
                const bool byX = BoxBlocked(nextX, y, size);
                const bool byY = BoxBlocked(x, nextY, size);
                return {std::max(0.0, along - kSlide), byX || !byY, byY || !byX};
            }
            const double clear = (room[IndexAt(nextX, nextY)] - 1.0) * std::min(tileWidth, tileHeight) - size - 1.0;
            clearUntil = s + clear;
        }
        x = nextX;
        y = nextY;
    }
    return {reach, false, false};
}
