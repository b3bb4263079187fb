#include "assets/WindowIcon.h"

#include "mapmaker/Canvas.h"

std::vector<std::uint8_t> RenderWindowIcon()
{
    Canvas canvas(kIconSize, kIconSize);
    canvas.FillCircle({16, 16}, 15.5f, {0.06f, 0.08f, 0.16f, 1.0f});
    canvas.FillRing({16, 16}, 15.5f, 14.0f, {0.35f, 0.75f, 1.0f, 1.0f});
    // A dart pointing up, with a cockpit and two engine flames.
    canvas.FillPolygon({{16, 4}, {25, 25}, {16, 20}, {7, 25}}, {0.85f, 0.88f, 0.95f, 1.0f});
    canvas.FillPolygon({{16, 9}, {18.5f, 16}, {13.5f, 16}}, {0.2f, 0.55f, 1.0f, 1.0f});
    canvas.FillPolygon({{10, 24}, {12.5f, 23}, {11, 28}}, {1.0f, 0.6f, 0.1f, 1.0f});
    canvas.FillPolygon({{22, 24}, {19.5f, 23}, {21, 28}}, {1.0f, 0.6f, 0.1f, 1.0f});
    return canvas.Rgba();
}
