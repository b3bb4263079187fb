#include "gfx/screens/Screen.h"

#include <GL/gl.h>

#include <cstring>

#include "gfx/Renderer.h"

bool Screen::Draw(int, int)
{
    Renderer* renderer = Renderer::Instance();
    renderer->BeginFrame();
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnable(GL_TEXTURE_2D);
    LoadTextures();
    DrawContent(width / 2.0f, height / 2.0f);
    renderer->EndFrame();
    return true;
}

void Screen::DrawCentred(float y, const char* text)
{
    Renderer::Instance()->DrawText(Centred(static_cast<int>(std::strlen(text))), y, "%s", text);
}
