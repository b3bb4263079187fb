#include "gfx/IconQuad.h"

#include <GL/gl.h>

#include "gfx/CTexture.h"

void DrawIconQuad(CTexture* texture, float x, float y, FirstRow firstRow)
{
    const float bottomT = firstRow == FirstRow::Top ? 1.0f : 0.0f;
    const float topT = 1.0f - bottomT;
    if (texture)
        texture->Bind();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, bottomT);
    glVertex2f(x - 16.0f, y - 16.0f);
    glTexCoord2f(1.0f, bottomT);
    glVertex2f(x + 16.0f, y - 16.0f);
    glTexCoord2f(1.0f, topT);
    glVertex2f(x + 16.0f, y + 16.0f);
    glTexCoord2f(0.0f, topT);
    glVertex2f(x - 16.0f, y + 16.0f);
    glEnd();
    if (texture)
        texture->Unbind();
}
