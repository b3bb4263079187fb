#include "world/Polygon.h"

#include "world/Trig.h"

bool Polygon::Contains(float px, float py) const
{
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % n];
        const float dx = px - a.x;
        const float dy = py - a.y;
        const float nx = a.y - b.y;
        const float ny = b.x - a.x;
        if (dx * nx + dy * ny < 0.0f)
            return false;
    }
    return true;
}

bool Polygon::AnyVertexInside(const Polygon& other) const
{
    const float offX = static_cast<float>(centre.x - other.centre.x);
    const float offY = static_cast<float>(centre.y - other.centre.y);
    for (const Point& p : points) {
        if (other.Contains(p.x + offX, p.y + offY))
            return true;
    }
    return false;
}

int Polygon::SegmentHit(float x1, float y1, float x2, float y2, Vector3* edge) const
{
    const float sx = x2 - x1;
    const float sy = y2 - y1;
    float best = 2.0f;
    int result = 0;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % n];
        const float ex = b.x - a.x;
        const float ey = b.y - a.y;
        const float cross = sx * ey - sy * ex;
        if (cross == 0.0f) {
            // Parallel: the start lying within the edge's extent ends the search.
            float ratio = -1.0f;
            if (ex != 0.0f)
                ratio = (x1 - a.x) / ex;
            else if (ey != 0.0f)
                ratio = (y1 - a.y) / ey;
            else
                continue;
            if (ratio >= 0.0f && ratio <= 1.0f)
                return static_cast<int>(i) + 1;
            continue;
        }
        const float qx = a.x - x1;
        const float qy = a.y - y1;
        const float t = (qx * ey - qy * ex) / cross;
        const float u = (qx * sy - qy * sx) / cross;
        if (u >= 0.0f && u <= 1.0f && t >= 0.0f && t <= 1.0f && t < best) {
            best = t;
            result = static_cast<int>(i) + 1;
            if (edge)
                edge->Set(ex, ey, 0.0);
        }
    }
    return result;
}

bool Polygon::TouchesPoint(const Vector3& p, Vector3* edge) const
{
    return SegmentHit(static_cast<float>(centre.x - p.x), static_cast<float>(centre.y - p.y), 0.0f, 0.0f, edge) != 0;
}

Polygon Polygon::Rotated(int degrees) const
{
    Polygon turned(*this);
    for (Point& p : turned.points)
        RotatePoint(p.x, p.y, degrees);
    return turned;
}

Polygon Polygon::Octagon16()
{
    Polygon octagon;
    for (int k = 0; k < 8; ++k) {
        float x = 0.0f;
        float y = -16.0f;
        RotatePoint(x, y, 45 * k);
        octagon.AddPoint(x, y);
    }
    return octagon;
}
