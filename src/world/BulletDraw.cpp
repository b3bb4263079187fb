#include <GL/gl.h>

#include "gfx/Renderer.h"
#include "world/Bullet.h"

bool Bullet::Draw(int camX, int camY)
{
    if (!alive)
        return true;
    const float sx = static_cast<float>(ScreenX(camX));
    const float sy = static_cast<float>(ScreenY(camY));
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const BatchVertex corners[4] = {{sx - 1.0f, sy - 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                    {sx + 1.0f, sy - 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                    {sx + 1.0f, sy + 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                    {sx - 1.0f, sy + 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f}};
    Renderer::Instance()->Batch().Add({GL_QUADS, false, 0, GL_FILL, GL_LINE}, corners, 4, false);
    return true;
}
