#pragma once

#include <vector>

#include "world/Vector3.h"

// A convex outline whose points turn from +x towards +y; the collision
// shape of hulls, the shield and map cells. centre places it relative to
// another outline or a point.
class Polygon {
public:
    struct Point {
        float x;
        float y;
    };

    Polygon() = default;
    Polygon(std::initializer_list<Point> points) : points(points) {}

    void AddPoint(float x, float y) { points.push_back({x, y}); }
    void Clear() { points.clear(); }
    bool Empty() const { return points.empty(); }
    const std::vector<Point>& Points() const { return points; }

    // Inside or on an edge; an empty outline holds every point.
    bool Contains(float px, float py) const;
    // Whether a point of this outline, placed by the two centres, lies in other.
    bool AnyVertexInside(const Polygon& other) const;
    // The 1-based index of the edge the segment from (x1, y1) to (x2, y2)
    // crosses nearest its start, its vector written to edge; 0 for none.
    int SegmentHit(float x1, float y1, float x2, float y2, Vector3* edge) const;
    bool TouchesPoint(const Vector3& p, Vector3* edge) const;

    // The regular octagon of radius 16 from (0, -16): shields and powerups.
    static Polygon Octagon16();

    // A copy turned by a whole-degree angle about its own origin.
    Polygon Rotated(int degrees) const;

    Vector3 centre;

private:
    std::vector<Point> points;
};
