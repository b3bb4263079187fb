#include "platform/Window.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <memory>

#include "platform/Display.h"
#include "platform/Keyboard.h"

namespace platform {

Window* Window::current = nullptr;

namespace {

std::unique_ptr<Window> owner;

SDL_Window* Sdl(const Window* window)
{
    return static_cast<SDL_Window*>(window->Native());
}

std::intptr_t PackSize(int width, int height)
{
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(height) & 0xFFFF) << 16 |
                                      (static_cast<std::uint32_t>(width) & 0xFFFF));
}

// The virtual key of a key that the window procedure acts on, or 0.
std::uint32_t VirtualKeyOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_PAGEUP: return kVkPageUp;
    case SDLK_PAGEDOWN: return kVkPageDown;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_F1: return kVkF1;
    case SDLK_F2: return kVkF2;
    case SDLK_F3: return kVkF3;
    case SDLK_F4: return kVkF4;
    case SDLK_F5: return kVkF5;
    case SDLK_F6: return kVkF6;
    default: return 0;
    }
}

// A key-down's lParam as Windows packs it: the scan code in bits 16-23,
// bit 30 set when the key was already down (a repeat).
std::intptr_t KeyDownDetail(SDL_Scancode code, bool repeat)
{
    return static_cast<std::intptr_t>(ScanCodeOf(code)) << 16 | (repeat ? std::intptr_t{1} << 30 : 0);
}

std::uint32_t MenuKeyOf(int input)
{
    switch (input) {
    case kPadUp:
    case kPadStickUp: return kVkUp;
    case kPadDown:
    case kPadStickDown: return kVkDown;
    case kPadLeft:
    case kPadStickLeft: return kVkLeft;
    case kPadRight:
    case kPadStickRight: return kVkRight;
    case kPadA: return kVkReturn;
    case kPadB: return kVkEscape;
    default: return 0;
    }
}

bool IsAltEnter(const SDL_KeyboardEvent& key)
{
    return (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT);
}

// Keys that type a control character rather than text.
int ControlCharOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_ESCAPE: return 27;
    default: return 0;
    }
}

} // namespace

Window* Window::Create(const char* title, const char* className, int width, int height,
                       WindowProcedure procedure)
{
    ::setenv("SDL_VIDEO_X11_WMCLASS", className, 0);
    if (current || !VideoInit())
        return nullptr;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);

    DisplayModeInfo mode;
    const bool fullScreen = ChosenDisplayMode(mode);
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (fullScreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_BORDERLESS);
    SDL_Window* native = SDL_CreateWindow(title, 0, 0, width, height, flags);
    if (!native)
        return nullptr;
    if (fullScreen) {
        SDL_DisplayMode wanted{SDL_PIXELFORMAT_UNKNOWN, mode.width, mode.height, mode.refresh, nullptr};
        SDL_SetWindowDisplayMode(native, &wanted);
    }

    owner.reset(new Window(procedure));
    current = owner.get();
    current->native = native;
    current->pads = std::make_unique<Gamepads>();
    current->Send(kMsgCreate, 0, 0);
    return current;
}

void Window::Destroy()
{
    Send(kMsgDestroy, 0, 0);
    SDL_DestroyWindow(Sdl(this));
    current = nullptr;
    owner.reset();
}

void Window::Show()
{
    SDL_ShowWindow(Sdl(this));
    SDL_RaiseWindow(Sdl(this));
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(Sdl(this), &width, &height);
    Send(kMsgSize, 0, PackSize(width, height));
}

void Window::Move(int width, int height)
{
    SDL_SetWindowSize(Sdl(this), width, height);
    SDL_SetWindowPosition(Sdl(this), 0, 0);
}

void Window::SetFullScreen(int width, int height)
{
    windowed = false;
    SDL_SetWindowResizable(Sdl(this), SDL_FALSE);
    DisplayModeInfo mode;
    if (ChosenDisplayMode(mode)) {
        SDL_DisplayMode wanted{SDL_PIXELFORMAT_UNKNOWN, mode.width, mode.height, mode.refresh, nullptr};
        SDL_SetWindowDisplayMode(Sdl(this), &wanted);
        // Without a window manager the screen is not filled by the mode
        // alone: the window takes its size too.
        Move(mode.width, mode.height);
        SDL_SetWindowFullscreen(Sdl(this), SDL_WINDOW_FULLSCREEN);
        return;
    }
    SDL_SetWindowBordered(Sdl(this), SDL_FALSE);
    Move(width, height);
}

void Window::SetWindowed(int width, int height)
{
    windowed = true;
    SDL_SetWindowFullscreen(Sdl(this), 0);
    SDL_SetWindowBordered(Sdl(this), SDL_TRUE);
    SDL_SetWindowResizable(Sdl(this), SDL_TRUE);
    SDL_SetWindowSize(Sdl(this), width, height);
    SDL_SetWindowPosition(Sdl(this), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool Window::HasFocus() const
{
    return SDL_GetKeyboardFocus() == Sdl(this);
}

void Window::SetIcon(const std::uint8_t* rgba, int width, int height)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(rgba), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_ABGR8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(Sdl(this), surface);
    SDL_FreeSurface(surface);
}

long Window::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return procedure ? procedure(this, message, wParam, lParam) : 0;
}

void Window::Translate(const void* raw)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    switch (event.type) {
    case SDL_QUIT:
        Destroy();
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(&event.window);
        break;
    case SDL_KEYDOWN:
        if (IsAltEnter(event.key)) {
            if (!event.key.repeat)
                Send(kMsgSysKeyDown, kVkReturn, KeyDownDetail(event.key.keysym.scancode, false));
            break;
        }
        if (const std::uint32_t key = VirtualKeyOf(event.key.keysym.sym); key || ScanCodeOf(event.key.keysym.scancode))
            Send(kMsgKeyDown, key, KeyDownDetail(event.key.keysym.scancode, event.key.repeat != 0));
        if (const int typed = ControlCharOf(event.key.keysym.sym))
            Send(kMsgChar, static_cast<std::uintptr_t>(typed), 0);
        break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERAXISMOTION:
        if (const int input = pads->Handle(&event); input >= 0)
            SendPadPress(input);
        break;
    case SDL_TEXTINPUT:
        for (const char* c = event.text.text; *c; ++c)
            Send(kMsgChar, static_cast<std::uintptr_t>(static_cast<unsigned char>(*c)), 0);
        break;
    default:
        break;
    }
}

void Window::TranslateWindowEvent(const void* raw)
{
    const SDL_WindowEvent& event = *static_cast<const SDL_WindowEvent*>(raw);
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: Send(kMsgSize, 0, PackSize(event.data1, event.data2)); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        focused = true;
        Send(kMsgSetFocus, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        focused = false;
        Send(kMsgKillFocus, 0, 0);
        break;
    default: break;
    }
}

// A controller moves through the menus, while the window has the focus, as the arrows, Enter and ESC do.
void Window::SendPadPress(int input)
{
    if (!focused)
        return;
    const std::intptr_t detail = static_cast<std::intptr_t>(PadCode(static_cast<PadInput>(input))) << 16;
    Send(kMsgKeyDown, MenuKeyOf(input), detail);
    if (input == kPadA)
        Send(kMsgChar, 13, detail);
}

bool Window::PumpMessages()
{
    SDL_Event event;
    while (current && SDL_PollEvent(&event))
        current->Translate(&event);
    return current != nullptr;
}

void ShowCursor(bool show)
{
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace platform
