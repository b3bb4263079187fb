#include "gfx/screens/MainMenu.h"

#include <GL/gl.h>

#include <cstring>
#include <memory>

#include "gfx/Renderer.h"

namespace {
constexpr float kVersion = 1.02f;
constexpr const char* kNotice = "Copyright (c) 2026 the Quillrock developers";
} // namespace

MainMenu::MainMenu()
    : items{"Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"}
{
}

void MainMenu::SelectPrevious()
{
    if (--selected < 1)
        selected = ItemCount();
}

void MainMenu::SelectNext()
{
    if (++selected > ItemCount())
        selected = 1;
}

void MainMenu::DrawContent(float, float hh)
{
    Renderer* renderer = Renderer::Instance();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentred(hh - 200.0f, "Quillrock!");
    renderer->DrawText(-25.0f, hh - 220.0f, "v%0.2f", static_cast<double>(kVersion));

    for (int k = 1; k <= ItemCount(); ++k) {
        const std::string& item = items[static_cast<std::size_t>(k - 1)];
        if (k == selected)
            glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        else
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawCentred(hh - 300.0f - 16.0f * static_cast<float>(k + 1), item.c_str());
    }
    if (items.empty()) {
        DrawCentred(hh - 332.0f, "Something is terribly, terribly wrong.");
    }

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentred(16.0f - hh, kNotice);
}
