#include "gfx/IconQuad.h"

#include <GL/gl.h>

#include "gfx/CTexture.h"
#include "gfx/DrawBatch.h"
#include "gfx/Renderer.h"

void DrawIconQuad(CTexture* texture, float x, float y, FirstRow firstRow)
{
    const float bottomT = firstRow == FirstRow::Top ? 1.0f : 0.0f;
    const float topT = 1.0f - bottomT;
    const BatchState state = DrawBatch::Current(GL_QUADS, texture);
    GLfloat c[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, c);
    const BatchVertex corners[4] = {{x - 16.0f, y - 16.0f, 0.0f, 0.0f, bottomT, c[0], c[1], c[2], c[3]},
                                    {x + 16.0f, y - 16.0f, 0.0f, 1.0f, bottomT, c[0], c[1], c[2], c[3]},
                                    {x + 16.0f, y + 16.0f, 0.0f, 1.0f, topT, c[0], c[1], c[2], c[3]},
                                    {x - 16.0f, y + 16.0f, 0.0f, 0.0f, topT, c[0], c[1], c[2], c[3]}};
    Renderer::Instance()->Batch().Add(state, corners, 4, true);
    // Drawing at once would have bound the picture, then unbound it.
    if (texture)
        texture->Unbind();
}
