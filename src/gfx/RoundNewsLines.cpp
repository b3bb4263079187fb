#include "gfx/RoundNewsLines.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "net/RoundNews.h"

namespace {

// Above the own ship's wreck, clear of its explosion.
constexpr float kDeathLineY = 80.0f;
// Below the frame rate and the ping in the top-right corner.
constexpr float kClockBelowTop = 52.0f;

float Width(const std::string& text)
{
    return Renderer::kGlyphWidth * static_cast<float>(text.size());
}

// As much of a line as the world picture beside the radar has room for.
std::string Fitted(std::string text, int displayWidth)
{
    const float room = static_cast<float>(displayWidth) - 2.0f * Renderer::kWorldMiddleX;
    text.resize(std::min(text.size(), static_cast<std::size_t>(std::max(0.0f, room / Renderer::kGlyphWidth))));
    return text;
}

} // namespace

void DrawRoundNews(const RoundNews& news, std::uint32_t now)
{
    Renderer* renderer = Renderer::Instance();
    const GLDisplay* display = GLDisplay::Instance();
    glEnable(GL_TEXTURE_2D);
    if (const std::string death = Fitted(news.DeathLine(now), display->Width()); !death.empty()) {
        glColor4f(1.0f, 0.8f, 0.2f, 1.0f);
        renderer->DrawText(Renderer::kWorldMiddleX - Width(death) / 2, kDeathLineY, "%s", death.c_str());
    }
    if (const std::string clock = news.ClockLine(now); !clock.empty()) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const float right = static_cast<float>(display->Width() / 2) - 4.0f;
        const float top = static_cast<float>(display->Height() / 2);
        renderer->DrawText(right - Width(clock), top - kClockBelowTop, "%s", clock.c_str());
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
