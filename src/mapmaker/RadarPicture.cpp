#include "mapmaker/RadarPicture.h"

#include <algorithm>

#include "mapmaker/BitmapFile.h"
#include "mapmaker/Canvas.h"
#include "world/CellKind.h"

namespace {

int SideFor(const MapGrid& grid)
{
    int side = RadarPicture::kSmallest;
    while (side < RadarPicture::kLargest && (side < 4 * grid.columns || side < 4 * grid.rows))
        side *= 2;
    return side;
}

// The cell's shape as corners of its square: 0 top left, 1 top right,
// 2 bottom right, 3 bottom left; none for what the radar leaves dark.
std::vector<int> Corners(std::uint8_t kind)
{
    switch (kind) {
    case kCellWall:
    case kCellFuel: return {0, 1, 2, 3};
    case kCellWallLowerRight: return {1, 2, 3};
    case kCellWallLowerLeft: return {0, 2, 3};
    case kCellWallUpperLeft: return {0, 1, 3};
    case kCellWallUpperRight: return {0, 1, 2};
    default: return {};
    }
}

} // namespace

RadarPicture::RadarPicture(const MapGrid& grid) : side(SideFor(grid))
{
    Canvas canvas(side, side);
    const auto whole = static_cast<float>(side);
    canvas.FillPolygon({{0, 0}, {whole, 0}, {whole, whole}, {0, whole}}, {0.02f, 0.03f, 0.10f, 1.0f});
    const float w = whole / static_cast<float>(grid.columns);
    const float h = whole / static_cast<float>(grid.rows);
    const Colour wall{0.30f, 0.45f, 0.95f, 1.0f};
    const Colour fuel{1.0f, 0.75f, 0.15f, 1.0f};
    // A little overlap, so neighbouring walls show no seam between them.
    constexpr float kOverlap = 0.3f;
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            const std::uint8_t kind = grid.At(c, r).kind;
            const float x0 = static_cast<float>(c) * w - kOverlap, x1 = x0 + w + 2 * kOverlap;
            const float y0 = static_cast<float>(r) * h - kOverlap, y1 = y0 + h + 2 * kOverlap; // y0 is the upper edge
            const Point square[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
            std::vector<Point> shape;
            for (int corner : Corners(kind))
                shape.push_back(square[corner]);
            canvas.FillPolygon(shape, kind == kCellFuel ? fuel : wall);
        }
    }
    rgba = canvas.Rgba();
}

std::vector<std::uint8_t> RadarPicture::Bitmap() const
{
    return EncodeBitmap(rgba, side, side);
}
