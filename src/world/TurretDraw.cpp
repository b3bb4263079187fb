#include <GL/gl.h>

#include "gfx/Renderer.h"
#include "world/Turret.h"

bool Turret::LoadTextures()
{
    if (AlivePicture(direction)) {
        Acquire(AlivePicture(direction));
        Acquire(DeadPicture(direction));
    }
    return NoteError();
}

bool Turret::Draw(int camX, int camY)
{
    const int sx = ScreenX(camX);
    const int sy = ScreenY(camY);
    DrawSprite(sx, sy, alive ? 0 : 1);
    if (showCollisionOutlines) {
        Renderer::Instance()->Batch().Flush();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        DrawOutlines(hull, sx, sy);
    }
    return true;
}
