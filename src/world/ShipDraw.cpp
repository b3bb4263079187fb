#include <GL/gl.h>

#include <cstring>

#include "gfx/CTexture.h"
#include "gfx/Renderer.h"
#include "gfx/TeamView.h"
#include "world/Ship.h"

bool Ship::LoadTextures()
{
    Acquire(PictureOf(shipType));
    Acquire("shield.tga");
    Acquire("cloak.tga");
    return NoteError();
}

bool Ship::Draw(int camX, int camY)
{
    if (!alive)
        return true;
    const int sx = ScreenX(camX);
    const int sy = ScreenY(camY);

    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (flags & kFlagRefuelling) {
        Renderer::Instance()->Batch().Flush();
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, 0x0F0F);
        glBegin(GL_LINES);
        glVertex2f(static_cast<float>(sx), static_cast<float>(sy));
        glVertex2f(static_cast<float>(sx + (fuelLinkX - position.x)), static_cast<float>(sy - (fuelLinkY - position.y)));
        glEnd();
        glDisable(GL_LINE_STIPPLE);
    }
    if ((flags & kFlagCloaked) && !isLocal)
        return true;

    // Under the picture, which stays as it is; a side's colour tells friend
    // from foe.
    DrawTeamRing(team, static_cast<float>(sx), static_cast<float>(sy));
    DrawSprite(sx, sy, 0);
    if (flags & kFlagShield)
        DrawSprite(sx, sy, 1);
    if (flags & kFlagCloaked)
        DrawSprite(sx, sy, 2);

    if (showPlayerNames && !isLocal && !name.Empty()) {
        glEnable(GL_TEXTURE_2D);
        const TeamTint mark = MarkTintOf(team);
        glColor4f(mark.r, mark.g, mark.b, 1.0f);
        Renderer::Instance()->DrawText(static_cast<float>(sx) - static_cast<float>(std::strlen(name.Text())) * 5.0f,
                                       static_cast<float>(sy) + 26.0f, "%s", name.Text());
    }
    if (showCollisionOutlines) {
        Renderer::Instance()->Batch().Flush();
        glPolygonMode(GL_FRONT, GL_LINE);
        glPolygonMode(GL_BACK, GL_FILL);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 0.0f, 0.0f, 0.5f);
        DrawOutlines((flags & kFlagShield) ? shieldHull : hull, sx, sy);
    }
    return true;
}
