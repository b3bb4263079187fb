#include "platform/Display.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/Window.h"

namespace platform {

namespace {

bool haveChosen = false;
SDL_DisplayMode chosen{};

// Windows calls a 24-bit colour mode with padding a 32-bit one.
int BitsOf(const SDL_DisplayMode& mode)
{
    const int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    return bits == 24 ? 32 : bits;
}

// A display that does not say its rate (virtual ones) is taken as 60 Hz,
// as Windows reports such displays.
int RefreshOf(const SDL_DisplayMode& mode)
{
    return mode.refresh_rate == 0 ? 60 : mode.refresh_rate;
}

bool Headless()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

SDL_Window* GameWindow()
{
    Window* window = Window::Current();
    return window ? static_cast<SDL_Window*>(window->Native()) : nullptr;
}

} // namespace

bool VideoInit()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool ChangeDisplayMode(int width, int height, int bits, int refresh)
{
    if (!VideoInit())
        return false;
    SDL_DisplayMode match{};
    bool found = false;
    if (Headless()) {
        match.w = width;
        match.h = height;
        found = true;
    }
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count && !found; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        found = mode.w == width && mode.h == height && BitsOf(mode) == bits &&
                RefreshOf(mode) == refresh;
        if (found)
            match = mode;
    }
    if (!found)
        return false;
    if (SDL_Window* window = GameWindow()) {
        if (SDL_SetWindowDisplayMode(window, &match) != 0 || SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0)
            return false;
    }
    chosen = match;
    haveChosen = true;
    return true;
}

bool RestoreDisplayMode()
{
    haveChosen = false;
    if (SDL_Window* window = GameWindow())
        return SDL_SetWindowFullscreen(window, 0) == 0;
    return true;
}

bool EnumDisplayMode(int index, DisplayModeInfo& out)
{
    if (!VideoInit() || index < 0 || index >= SDL_GetNumDisplayModes(0))
        return false;
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, index, &mode) != 0)
        return false;
    out = {mode.w, mode.h, BitsOf(mode), RefreshOf(mode)};
    return true;
}

bool ChosenDisplayMode(DisplayModeInfo& out)
{
    if (!haveChosen)
        return false;
    out = {chosen.w, chosen.h, BitsOf(chosen), RefreshOf(chosen)};
    return true;
}

} // namespace platform

namespace platform {
void VideoShutdown()
{
    SDL_Quit();
}
} // namespace platform
