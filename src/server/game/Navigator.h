#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "world/Torus.h"
#include "world/Vector3.h"

class Map;

// What a robot knows of the map's shape: which cells a ship cannot cross,
// routes between cells around the walls, and whether a straight flight is
// clear. Built once a map; every query folds onto the torus.
class Navigator {
public:
    struct Cell {
        int column;
        int row;
    };

    // Takes the shape of a map; a map with the same name and size keeps
    // the shape already taken. True when the shape is new.
    bool Learn(const Map& map, const std::string& name);

    bool Blocked(int column, int row) const
    {
        return !blocked.empty() && blocked[IndexOf(column, row)] != 0;
    }
    // An open cell between two blocked ones, across or up and down: a hull
    // passes it with two pixels a side, which no pilot flies for long.
    bool Narrow(int column, int row) const;
    Cell CellOf(const Vector3& at) const;
    Vector3 CentreOf(const Cell& cell) const;
    // The centre moved half a cell off a wall on one side when the other
    // side is open: the middle of a passage two cells wide.
    Vector3 MiddleOf(const Cell& cell) const;
    // The shortest way round from b to a, along x and y.
    Vector3 Offset(const Vector3& from, const Vector3& to) const;

    // A route of open cells from the cell of start to the nearest cell that
    // arrived accepts, both ends included, never through a narrow cell (it
    // may start in one); empty when none is reachable within limit cells.
    std::vector<Cell> Route(const Vector3& start, const std::function<bool(const Cell&)>& arrived,
                            int limit = 1 << 20) const;
    // Steps across the cells a route may enter, from a cell to every cell,
    // row by row; -1 for those not reached. Flags stand only where robots
    // can fly to them.
    std::vector<int> Steps(const Cell& from) const;
    // What flying from each cell to goal costs, a cell beside a wall
    // dearer than one in the open; -1 for those that cannot reach it and
    // for narrow cells other than goal.
    std::vector<int> Costs(const Cell& goal) const;
    // A cheapest route of open cells from the cell of start to goal, both
    // ends included, keeping off walls where there is room; empty when none
    // is. The few goals many robots head for (the flags' places) keep their
    // costs, so that each asks little.
    std::vector<Cell> RouteTo(const Vector3& start, const Cell& goal) const;
    // The farthest point along the route that a ship of the given half
    // width flies to in a straight line from start without touching a wall,
    // through the middles of the cells (MiddleOf) rather than their centres:
    // a cell's centre beside a wall leaves a hull only a few pixels.
    Vector3 Waypoint(const Vector3& start, const std::vector<Cell>& route, double halfWidth) const;
    // True when a body of the given half width flies from a to b without
    // crossing a blocked cell.
    bool ClearLine(const Vector3& a, const Vector3& b, double halfWidth) const;
    // How far from start along the unit direction the first blocked cell
    // lies for a body of the given half width; reach when none is nearer.
    double FreeDistance(const Vector3& start, const Vector3& direction, double reach, double halfWidth) const;
    // Where a square body sliding from start along the unit direction first
    // overlaps a blocked cell, and which of its motions brings it there:
    // along x, along y, or only both together (a corner met diagonally).
    // A body already overlapping one sweeps as the largest square that fits
    // where it is: what it touches stops only the motion deeper into it.
    struct Meeting {
        double distance; // reach when it meets nothing nearer
        bool byX;
        bool byY;
    };
    Meeting Sweep(const Vector3& start, const Vector3& direction, double reach, double halfSize) const;

    int Columns() const { return columns; }
    int Rows() const { return rows; }

private:
    // FoldCell's answer, without its division for a cell already inside.
    static int Fold(int value, int size) { return value >= 0 && value < size ? value : FoldCell(value, size); }
    std::size_t IndexOf(int column, int row) const
    {
        return static_cast<std::size_t>(Fold(row, rows) * columns + Fold(column, columns));
    }
    std::size_t IndexAt(double x, double y) const
    {
        return IndexOf(static_cast<int>(std::floor(x / tileWidth)), static_cast<int>(std::floor(y / tileHeight)));
    }
    bool BlockedAt(double x, double y) const;
    bool BoxBlocked(double x, double y, double halfSize) const;
    // The half size, up to halfSize, of the largest square about a point
    // that overlaps no blocked cell; 0 for a point inside one.
    double Fit(double x, double y, double halfSize) const;
    // Beside a wall a ship brakes, bumps and is cornered: such a cell costs
    // more to enter, so routes keep to the middle of the room and the wider gaps.
    int Weight(std::size_t cell) const { return room[cell] <= 1 ? 3 : 1; }
    void MeasureRoom();

    std::string learnedName;
    int columns = 0;
    int rows = 0;
    int tileWidth = 32;
    int tileHeight = 32;
    std::vector<std::uint8_t> blocked;
    // 1 for a blocked cell, and for a narrow one: what a route never enters.
    std::vector<std::uint8_t> closed;
    // Cells from each cell to the nearest blocked one along the larger
    // axis; 0 for a blocked cell, very many on a map without any.
    std::vector<int> room;
    struct StepsTo {
        Cell goal;
        std::vector<int> costs;
    };
    static constexpr std::size_t kKeptGoals = 4;
    mutable std::vector<StepsTo> kept; // the newest last; the shape's own memo
    // Route's search: the cell each cell was reached from (-1 for none),
    // and the cells it reached, in order.
    mutable std::vector<int> cameFrom;
    mutable std::vector<Cell> frontier;
};
