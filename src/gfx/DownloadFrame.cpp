#include "gfx/DownloadFrame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "gfx/Renderer.h"
#include "gfx/screens/Screen.h"

namespace {

constexpr float kHalfWidth = 200.0f;
constexpr float kBottom = -10.0f;
constexpr float kTop = 10.0f;

void DrawBar(double done)
{
    const float filled = -kHalfWidth + 2.0f * kHalfWidth * static_cast<float>(std::clamp(done, 0.0, 1.0));
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.3f, 0.3f, 0.3f, 1.0f);
    glRectf(-kHalfWidth - 2.0f, kBottom - 2.0f, kHalfWidth + 2.0f, kTop + 2.0f);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glRectf(-kHalfWidth, kBottom, kHalfWidth, kTop);
    glColor4f(0.2f, 0.8f, 0.2f, 1.0f);
    glRectf(-kHalfWidth, kBottom, filled, kTop);
}

} // namespace

void DrawDownloadFrame(const std::string& mapName, double done)
{
    Renderer* renderer = Renderer::Instance();
    renderer->BeginFrame();
    DrawBar(done);
    renderer->BeginBatch();
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const std::string title = "Downloading map " + mapName;
    Screen::DrawCentred(40.0f, title.c_str());
    char share[16] = {};
    std::snprintf(share, sizeof share, "%d%%", static_cast<int>(std::clamp(done, 0.0, 1.0) * 100.0));
    Screen::DrawCentred(-40.0f, share);
    Screen::DrawCentred(-80.0f, "Press escape to return to the main menu.");
    renderer->EndBatch();
    renderer->EndFrame();
}
