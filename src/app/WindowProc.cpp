#include "app/WindowProc.h"

#include "app/AppState.h"
#include "app/Input.h"
#include "gfx/Glyphs.h"
#include "gfx/Renderer.h"
#include "gfx/screens/MainMenu.h"
#include "platform/Window.h"

namespace {

constexpr char kBackspace = 8;
constexpr char kEnter = 13;

void OnKeyDown(std::uint32_t key)
{
    switch (g_appState) {
    case AppState::MainMenu:
        if (key == platform::kVkUp)
            MainMenu::Instance()->SelectPrevious();
        else if (key == platform::kVkDown)
            MainMenu::Instance()->SelectNext();
        break;
    default:
        if (key == platform::kVkEscape)
            g_appState = AppState::MainMenu;
        break;
    }
}

void OnMainMenuChar(char c)
{
    if (c != kEnter)
        return;
    switch (MainMenu::Instance()->Selected()) {
    case 1: g_appState = AppState::BrowseLan; break;
    case 2: g_appState = AppState::EnterAddress; break;
    case 3: g_appState = AppState::Instructions; break;
    case 4: g_appState = AppState::Options; break;
    case 5: g_appState = AppState::Credits; break;
    case 6: g_quitRequested = true; break;
    default: break;
    }
}

void OnChar(char c)
{
    if (!IsTypeable(c) && c != kBackspace && c != kEnter)
        return;
    switch (g_appState) {
    case AppState::MainMenu:
        OnMainMenuChar(c);
        break;
    case AppState::BrowseLan:
    case AppState::BrowseAddress:
        if (c != kEnter)
            g_appState = AppState::MainMenu;
        break;
    case AppState::Intro:
    case AppState::Instructions:
    case AppState::Credits:
        g_appState = AppState::MainMenu;
        break;
    default:
        break;
    }
}

} // namespace

long WindowProc(platform::Window* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case platform::kMsgCreate:
        Renderer::Instance()->Init(window);
        Input::Instance()->Initialise(window);
        return 0;
    case platform::kMsgSize:
        Renderer::Instance()->Resize(static_cast<int>(lParam & 0xFFFF), static_cast<int>((lParam >> 16) & 0xFFFF));
        return 0;
    case platform::kMsgDestroy:
        if (Renderer::Exists())
            Renderer::Destroy();
        if (Input::Exists())
            Input::Destroy();
        g_quitRequested = true;
        return 0;
    case platform::kMsgKeyDown:
        OnKeyDown(static_cast<std::uint32_t>(wParam));
        return 0;
    case platform::kMsgChar:
        OnChar(static_cast<char>(wParam));
        return 0;
    default:
        return 0;
    }
}
