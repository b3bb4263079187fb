#include <GL/gl.h>

#include "gfx/CTexture.h"
#include "gfx/Renderer.h"
#include "world/GameObject.h"
#include "world/Trig.h"

bool GameObject::Draw(int camX, int camY)
{
    if (!alive)
        return true;
    DrawSprite(ScreenX(camX), ScreenY(camY), 0);
    if (showCollisionOutlines) {
        Renderer::Instance()->Batch().Flush();
        glPolygonMode(GL_FRONT, GL_LINE);
        glPolygonMode(GL_BACK, GL_FILL);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        DrawOutlines(hull, ScreenX(camX), ScreenY(camY));
    }
    return true;
}

void GameObject::DrawSprite(int screenX, int screenY, int textureIndex) const
{
    // Corners from (-w/2, -h/2) round to (w/2, -h/2), halves truncated.
    float cx[4] = {static_cast<float>(-width / 2), static_cast<float>(-width / 2), static_cast<float>(width / 2),
                   static_cast<float>(width / 2)};
    float cy[4] = {static_cast<float>(-height / 2), static_cast<float>(height / 2), static_cast<float>(height / 2),
                   static_cast<float>(-height / 2)};
    if (heading != 0.0f) {
        for (int i = 0; i < 4; ++i)
            RotatePoint(cx[i], cy[i], WholeDegrees(heading));
    }
    static const float s[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    static const float t[4] = {0.0f, 1.0f, 1.0f, 0.0f};

    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    CTexture* picture = Texture(static_cast<std::size_t>(textureIndex));
    const BatchState state{GL_TRIANGLES, picture != nullptr, picture ? picture->Id() : 0u, GL_FILL, GL_LINE};
    if (picture) {
        glEnable(GL_TEXTURE_2D);
        // Drawing at once would have bound the picture, then unbound it.
        picture->Unbind();
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    const float x = static_cast<float>(screenX);
    const float y = static_cast<float>(screenY);
    BatchVertex corners[6];
    int n = 0;
    for (int i : {1, 2, 3, 3, 0, 1})
        corners[n++] = {x + cx[i], y - cy[i], 0.0f, s[i], t[i], 1.0f, 1.0f, 1.0f, 1.0f};
    Renderer::Instance()->Batch().Add(state, corners, 6, true);
}

// Outlines turn from +x towards +y in the world, which y-up screen space
// mirrors into back faces; they are sent in reverse so that the front-face
// mode (lines) draws them as the wireframes they are.
void GameObject::DrawOutlines(const std::vector<Polygon>& outlines, int screenX, int screenY) const
{
    const int turn = WholeDegrees(heading);
    for (const Polygon& outline : outlines) {
        glBegin(GL_POLYGON);
        for (auto p = outline.Points().rbegin(); p != outline.Points().rend(); ++p) {
            float x = p->x;
            float y = p->y;
            RotatePoint(x, y, turn);
            glVertex2f(static_cast<float>(screenX) + x, static_cast<float>(screenY) - y);
        }
        glEnd();
    }
}
