#include "app/StateLoops.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>

#include "app/AppState.h"
#include "app/GameKey.h"
#include "app/Input.h"
#include "gfx/Renderer.h"
#include "gfx/screens/CreditsScreen.h"
#include "gfx/screens/InstructionsScreen.h"
#include "gfx/screens/MainMenu.h"
#include "gfx/screens/OptionsScreen.h"
#include "gfx/screens/Screen.h"
#include "platform/Clock.h"
#include "platform/Window.h"

namespace {

constexpr std::uint32_t kCaptionTime = 3000;

// Reads the game keys (F9 quits) and empties the message queue.
// False when the pass should end at once.
bool PollKeysAndMessages()
{
    std::uint8_t keys[256];
    Input::Instance()->ReadGameKeys(keys);
    if (keys[kKeyQuit]) {
        g_quitRequested = true;
        return false;
    }
    if (!platform::Window::PumpMessages())
        g_quitRequested = true;
    return true;
}

// States whose screens are still to come show an empty frame; ESC, a typed
// character or F9 leave them.
void RunEmptyLoop(AppState state)
{
    Renderer* renderer = Renderer::Instance();
    while (!g_quitRequested && g_appState == state) {
        if (!PollKeysAndMessages())
            continue;
        renderer->BeginFrame();
        renderer->EndFrame();
    }
}

} // namespace

void RunIntroLoop()
{
    Renderer* renderer = Renderer::Instance();
    bool first = true;
    std::uint32_t start = 0;
    while (!g_quitRequested && g_appState == AppState::Intro) {
        if (!PollKeysAndMessages())
            continue;
        if (first) {
            start = platform::TickCount();
            first = false;
        }
        renderer->BeginFrame();
        glEnable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const std::uint32_t elapsed = platform::TickCount() - start;
        if (elapsed < kCaptionTime) {
            Screen::DrawCentred(20.0f, "Brindlewood Institute of Technology");
            Screen::DrawCentred(-20.0f, "presents");
        } else if (elapsed < 2 * kCaptionTime) {
            Screen::DrawCentred(20.0f, "a");
            Screen::DrawCentred(0.0f, "ashTUB");
            Screen::DrawCentred(-20.0f, "production");
        } else if (g_appState == AppState::Intro) {
            g_appState = AppState::MainMenu;
        }
        renderer->EndFrame();
    }
}

void RunScreenLoop(AppState state, Screen* screen)
{
    screen->SetSize(static_cast<float>(g_screenWidth), static_cast<float>(g_screenHeight));
    while (!g_quitRequested && g_appState == state) {
        if (!PollKeysAndMessages())
            continue;
        screen->Draw(0, 0);
    }
}

void RunDispatcher()
{
    while (!g_quitRequested) {
        switch (g_appState) {
        case AppState::Intro: RunIntroLoop(); break;
        case AppState::MainMenu: RunScreenLoop(g_appState, MainMenu::Instance()); break;
        case AppState::Options: RunScreenLoop(g_appState, OptionsScreen::Instance()); break;
        case AppState::Instructions: RunScreenLoop(g_appState, InstructionsScreen::Instance()); break;
        case AppState::Credits: RunScreenLoop(g_appState, CreditsScreen::Instance()); break;
        case AppState::InGame:
        case AppState::BrowseLan:
        case AppState::BrowseAddress:
        case AppState::EnterAddress: RunEmptyLoop(g_appState); break;
        default: g_quitRequested = true; break;
        }
    }
}
