#pragma once

#include <cstdint>
#include <vector>

struct Colour {
    float r, g, b, a;
};

struct Point {
    float x, y;
};

// An RGBA picture drawn with anti-aliased shapes; row 0 is the top.
class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return width; }
    int Height() const { return height; }

    // Composites colour over every pixel the polygon covers, by coverage.
    void FillPolygon(const std::vector<Point>& points, Colour colour);
    void FillCircle(Point centre, float radius, Colour colour);
    void FillRing(Point centre, float outer, float inner, Colour colour);
    void Line(Point from, Point to, float thickness, Colour colour);
    // Composites colour with the given coverage (0..1) at one pixel.
    void Blend(int x, int y, Colour colour, float coverage);

    // 8-bit RGBA, straight alpha, row 0 on top.
    std::vector<std::uint8_t> Rgba() const;

private:
    template <typename Inside>
    void Fill(float minX, float minY, float maxX, float maxY, Colour colour, Inside inside);

    int width;
    int height;
    std::vector<float> pixels; // premultiplied RGBA
};
