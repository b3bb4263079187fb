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

// The cells round the camera, each with the screen position of its
// upper left corner.
class VisibleCells {
public:
    VisibleCells(const Map& map, int camX, int camY);

    // Calls fn(kind, column, row, sx, sy) for every visible cell.
    template <typename Fn>
    void ForEach(Fn fn) const
    {
        for (int i = 0; i < visibleColumns; ++i) {
            for (int j = 0; j < visibleRows; ++j) {
                const int column = FoldCell(startColumn + i, map.Columns());
                const int row = FoldCell(startRow + j, map.Rows());
                const float sx = static_cast<float>(i * map.TileWidth() - offX - halfSpanX + 100.0);
                const float sy = static_cast<float>(-(j * map.TileHeight() - offY - halfSpanY));
                fn(map.CellKindAt(column, row), column, row, sx, sy);
            }
        }
    }

private:
    const Map& map;
    int visibleColumns;
    int visibleRows;
    int startColumn;
    int startRow;
    int offX;
    int offY;
    double halfSpanX;
    double halfSpanY;
};

VisibleCells::VisibleCells(const Map& map, int camX, int camY) : map(map)
{
    const GLDisplay* display = GLDisplay::Instance();
    const int tileWidth = map.TileWidth(), tileHeight = map.TileHeight();
    visibleColumns = display->Width() / tileWidth + 2;
    visibleRows = display->Height() / tileHeight + 2;
    startColumn = FoldCell(camX / tileWidth, map.Columns()) - visibleColumns / 2;
    startRow = FoldCell(camY / tileHeight, map.Rows()) - visibleRows / 2;
    offX = static_cast<int>(camX % tileWidth - (visibleColumns % 2) * 16.0);
    offY = static_cast<int>(camY % tileHeight - (visibleRows % 2) * 16.0);
    halfSpanX = visibleColumns / 2.0 * tileWidth;
    halfSpanY = visibleRows / 2.0 * tileHeight;
}

// Every wall's outline in blue.
void DrawWalls(const VisibleCells& cells, float w, float h)
{
    glLoadIdentity();
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLES);
    cells.ForEach([&](std::uint8_t kind, int, int, float sx, float sy) {
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
}

// The fuel blocks' picture on every fuel cell.
void DrawFuelBlocks(const VisibleCells& cells, float w, float h, CTexture* fuel, DrawBatch& batch)
{
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnable(GL_TEXTURE_2D);
    const BatchState fuelState = DrawBatch::Current(GL_TRIANGLES, fuel);
    bool anyFuel = false;
    cells.ForEach([&](std::uint8_t kind, int, int, float sx, float sy) {
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
}

// Each cell's collision outline in red.
void DrawCellOutlines(const Map& map, const VisibleCells& cells)
{
    glPolygonMode(GL_FRONT, GL_LINE);
    glPolygonMode(GL_BACK, GL_FILL);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    cells.ForEach([&](std::uint8_t, int column, int row, float sx, float sy) {
        const Polygon outline = map.GetTilePolygon(column, row);
        if (outline.Empty())
            return;
        // In reverse, to face the front: see GameObject::DrawOutlines.
        glBegin(GL_POLYGON);
        for (auto p = outline.Points().rbegin(); p != outline.Points().rend(); ++p)
            glVertex2f(sx + 16.0f + p->x, sy - 16.0f - p->y);
        glEnd();
    });
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
    const VisibleCells cells(*this, camX, camY);
    const float w = static_cast<float>(tileWidth);
    const float h = static_cast<float>(tileHeight);
    DrawBatch& batch = Renderer::Instance()->Batch();
    batch.Flush();
    DrawWalls(cells, w, h);
    DrawFuelBlocks(cells, w, h, Texture(0), batch);
    if (showCollisionOutlines) {
        batch.Flush();
        DrawCellOutlines(*this, cells);
    }
    return NoteError();
}
