#include <GL/gl.h>

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
    glBegin(GL_QUADS);
    glVertex2f(sx - 1.0f, sy - 1.0f);
    glVertex2f(sx + 1.0f, sy - 1.0f);
    glVertex2f(sx + 1.0f, sy + 1.0f);
    glVertex2f(sx - 1.0f, sy + 1.0f);
    glEnd();
    return true;
}
