#include <GL/gl.h>

#include "gfx/CTexture.h"
#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "world/Map.h"
#include "world/Torus.h"

namespace {

void Vertex(float x, float y, bool edge)
{
    glEdgeFlag(edge ? GL_TRUE : GL_FALSE);
    glVertex2f(x, y);
}

// The three corners of a half-square wall, each as (x, y) in the cell's
// screen rectangle [sx, sx + w] x [sy - h, sy].
void HalfWall(std::uint8_t kind, float sx, float sy, float w, float h)
{
    const float left = sx, right = sx + w, top = sy, bottom = sy - h;
    switch (kind) {
    case kCellWallLowerRight: Vertex(left, bottom, true); Vertex(right, bottom, true); Vertex(right, top, true); break;
    case kCellWallLowerLeft: Vertex(left, top, true); Vertex(left, bottom, true); Vertex(right, bottom, true); break;
    case kCellWallUpperLeft: Vertex(right, top, true); Vertex(left, top, true); Vertex(left, bottom, true); break;
    case kCellWallUpperRight: Vertex(left, top, true); Vertex(right, bottom, true); Vertex(right, top, true); break;
    default: break;
    }
}

} // namespace

bool Map::LoadTextures()
{
    for (const char* picture : {"FuelBlock.tga", "turret_ok_up.tga", "turret_dead_up.tga", "turret_ok_left.tga",
                                "turret_dead_left.tga", "turret_ok_down.tga", "turret_dead_down.tga",
                                "turret_ok_right.tga", "turret_dead_right.tga"})
        Acquire(picture);
    return NoteError();
}

bool Map::Draw(int camX, int camY)
{
    GLDisplay* display = GLDisplay::Instance();
    int offX = camX % tileWidth;
    int offY = camY % tileHeight;
    int startColumn = FoldCell(camX / tileWidth, columns);
    int startRow = FoldCell(camY / tileHeight, rows);
    const int visibleColumns = display->Width() / tileWidth + 2;
    const int visibleRows = display->Height() / tileHeight + 2;
    startColumn -= visibleColumns / 2;
    startRow -= visibleRows / 2;
    offX = static_cast<int>(offX - (visibleColumns % 2) * 16.0);
    offY = static_cast<int>(offY - (visibleRows % 2) * 16.0);
    const double halfSpanX = visibleColumns / 2.0 * tileWidth;
    const double halfSpanY = visibleRows / 2.0 * tileHeight;
    const float w = static_cast<float>(tileWidth);
    const float h = static_cast<float>(tileHeight);

    // Calls fn(kind, column, row, sx, sy) for every visible cell.
    auto forVisible = [&](auto fn) {
        for (int i = 0; i < visibleColumns; ++i) {
            for (int j = 0; j < visibleRows; ++j) {
                const int column = FoldCell(startColumn + i, columns);
                const int row = FoldCell(startRow + j, rows);
                const float sx = static_cast<float>(i * tileWidth - offX - halfSpanX + 100.0);
                const float sy = static_cast<float>(-(j * tileHeight - offY - halfSpanY));
                fn(CellKindAt(column, row), column, row, sx, sy);
            }
        }
    };

    DrawBatch& batch = Renderer::Instance()->Batch();
    batch.Flush();
    glLoadIdentity();
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLES);
    forVisible([&](std::uint8_t kind, int, int, float sx, float sy) {
        if (kind == kCellWall) {
            // The shared diagonal is the edge leaving each third corner: hidden.
            Vertex(sx + w, sy, true);
            Vertex(sx, sy, true);
            Vertex(sx, sy - h, false);
            Vertex(sx, sy - h, true);
            Vertex(sx + w, sy - h, true);
            Vertex(sx + w, sy, false);
        } else {
            HalfWall(kind, sx, sy, w, h);
        }
    });
    glEnd();
    glEdgeFlag(GL_TRUE);

    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnable(GL_TEXTURE_2D);
    CTexture* fuel = Texture(0);
    const BatchState fuelState = DrawBatch::Current(GL_TRIANGLES, fuel);
    bool anyFuel = false;
    forVisible([&](std::uint8_t kind, int, int, float sx, float sy) {
        if (kind != kCellFuel)
            return;
        anyFuel = true;
        const BatchVertex corners[6] = {{sx, sy - h, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                        {sx + w, sy - h, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                        {sx + w, sy, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                        {sx + w, sy, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                        {sx, sy, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                        {sx, sy - h, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f}};
        batch.Add(fuelState, corners, 6, true);
    });
    // What drawing each block at once would have left current.
    if (anyFuel) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        if (fuel)
            fuel->Unbind();
    }

    if (showCollisionOutlines) {
        batch.Flush();
        glPolygonMode(GL_FRONT, GL_LINE);
        glPolygonMode(GL_BACK, GL_FILL);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        forVisible([&](std::uint8_t, int column, int row, float sx, float sy) {
            const Polygon outline = GetTilePolygon(column, row);
            if (outline.Empty())
                return;
            // In reverse, to face the front: see GameObject::DrawOutlines.
            glBegin(GL_POLYGON);
            for (auto p = outline.Points().rbegin(); p != outline.Points().rend(); ++p)
                glVertex2f(sx + 16.0f + p->x, sy - 16.0f - p->y);
            glEnd();
        });
    }
    return NoteError();
}
