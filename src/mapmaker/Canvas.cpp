#include "mapmaker/Canvas.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSamples = 4; // per axis: 16 samples a pixel

bool InsidePolygon(const std::vector<Point>& points, float x, float y)
{
    bool inside = false;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const Point& a = points[i];
        const Point& b = points[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}
} // namespace

Canvas::Canvas(int width, int height)
    : width(width), height(height), pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0.0f)
{
}

void Canvas::Blend(int x, int y, Colour colour, float coverage)
{
    if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0.0f)
        return;
    float* p = &pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
    const float a = colour.a * std::min(coverage, 1.0f);
    p[0] = colour.r * a + p[0] * (1.0f - a);
    p[1] = colour.g * a + p[1] * (1.0f - a);
    p[2] = colour.b * a + p[2] * (1.0f - a);
    p[3] = a + p[3] * (1.0f - a);
}

template <typename Inside>
void Canvas::Fill(float minX, float minY, float maxX, float maxY, Colour colour, Inside inside)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(minX)));
    const int y0 = std::max(0, static_cast<int>(std::floor(minY)));
    const int x1 = std::min(width - 1, static_cast<int>(std::ceil(maxX)));
    const int y1 = std::min(height - 1, static_cast<int>(std::ceil(maxY)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSamples;
                    const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSamples;
                    hits += inside(px, py) ? 1 : 0;
                }
            }
            Blend(x, y, colour, static_cast<float>(hits) / (kSamples * kSamples));
        }
    }
}

void Canvas::FillPolygon(const std::vector<Point>& points, Colour colour)
{
    if (points.size() < 3)
        return;
    float minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (const Point& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    Fill(minX, minY, maxX, maxY, colour, [&](float x, float y) { return InsidePolygon(points, x, y); });
}

void Canvas::FillCircle(Point c, float radius, Colour colour)
{
    FillRing(c, radius, 0.0f, colour);
}

void Canvas::FillRing(Point c, float outer, float inner, Colour colour)
{
    Fill(c.x - outer, c.y - outer, c.x + outer, c.y + outer, colour, [&](float x, float y) {
        const float d = (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y);
        return d <= outer * outer && d >= inner * inner;
    });
}

void Canvas::Line(Point from, Point to, float thickness, Colour colour)
{
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f)
        return;
    const float nx = -dy / length * thickness / 2.0f;
    const float ny = dx / length * thickness / 2.0f;
    FillPolygon({{from.x + nx, from.y + ny}, {to.x + nx, to.y + ny}, {to.x - nx, to.y - ny}, {from.x - nx, from.y - ny}},
                colour);
}

std::vector<std::uint8_t> Canvas::Rgba() const
{
    std::vector<std::uint8_t> out(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const float a = pixels[i + 3];
        for (int k = 0; k < 3; ++k) {
            const float straight = a > 0.0f ? pixels[i + static_cast<std::size_t>(k)] / a : 0.0f;
            out[i + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(std::lround(std::clamp(straight, 0.0f, 1.0f) * 255.0f));
        }
        out[i + 3] = static_cast<std::uint8_t>(std::lround(std::clamp(a, 0.0f, 1.0f) * 255.0f));
    }
    return out;
}
