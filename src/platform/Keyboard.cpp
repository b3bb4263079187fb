#include "platform/Keyboard.h"

#include <SDL2/SDL.h>

#include <array>
#include <cctype>
#include <cstring>
#include <utility>

#include "platform/Gamepads.h"
#include "platform/Window.h"

namespace platform {

namespace {

constexpr std::array<std::uint8_t, SDL_NUM_SCANCODES> BuildTable()
{
    std::array<std::uint8_t, SDL_NUM_SCANCODES> table{};
    constexpr std::uint8_t letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                          0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                          0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i)
        table[SDL_SCANCODE_A + i] = letters[i];
    for (int i = 0; i < 10; ++i) // 1..9, 0
        table[SDL_SCANCODE_1 + i] = static_cast<std::uint8_t>(0x02 + i);
    for (int i = 0; i < 10; ++i) // F1..F10
        table[SDL_SCANCODE_F1 + i] = static_cast<std::uint8_t>(0x3B + i);
    table[SDL_SCANCODE_F11] = 0x57;
    table[SDL_SCANCODE_F12] = 0x58;
    table[SDL_SCANCODE_ESCAPE] = 0x01;
    table[SDL_SCANCODE_MINUS] = 0x0C;
    table[SDL_SCANCODE_EQUALS] = 0x0D;
    table[SDL_SCANCODE_BACKSPACE] = 0x0E;
    table[SDL_SCANCODE_TAB] = 0x0F;
    table[SDL_SCANCODE_LEFTBRACKET] = 0x1A;
    table[SDL_SCANCODE_RIGHTBRACKET] = 0x1B;
    table[SDL_SCANCODE_RETURN] = 0x1C;
    table[SDL_SCANCODE_LCTRL] = 0x1D;
    table[SDL_SCANCODE_SEMICOLON] = 0x27;
    table[SDL_SCANCODE_APOSTROPHE] = 0x28;
    table[SDL_SCANCODE_GRAVE] = 0x29;
    table[SDL_SCANCODE_LSHIFT] = 0x2A;
    table[SDL_SCANCODE_BACKSLASH] = 0x2B;
    table[SDL_SCANCODE_COMMA] = 0x33;
    table[SDL_SCANCODE_PERIOD] = 0x34;
    table[SDL_SCANCODE_SLASH] = 0x35;
    table[SDL_SCANCODE_RSHIFT] = 0x36;
    table[SDL_SCANCODE_KP_MULTIPLY] = 0x37;
    table[SDL_SCANCODE_LALT] = 0x38;
    table[SDL_SCANCODE_SPACE] = 0x39;
    table[SDL_SCANCODE_CAPSLOCK] = 0x3A;
    table[SDL_SCANCODE_NUMLOCKCLEAR] = 0x45;
    table[SDL_SCANCODE_SCROLLLOCK] = 0x46;
    // The keypad's digits by their rows, 7 8 9 on top, as set 1 numbers them.
    constexpr std::pair<int, std::uint8_t> keypad[] = {
        {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_8, 0x48},      {SDL_SCANCODE_KP_9, 0x49},
        {SDL_SCANCODE_KP_MINUS, 0x4A}, {SDL_SCANCODE_KP_4, 0x4B},  {SDL_SCANCODE_KP_5, 0x4C},
        {SDL_SCANCODE_KP_6, 0x4D}, {SDL_SCANCODE_KP_PLUS, 0x4E},   {SDL_SCANCODE_KP_1, 0x4F},
        {SDL_SCANCODE_KP_2, 0x50}, {SDL_SCANCODE_KP_3, 0x51},      {SDL_SCANCODE_KP_0, 0x52},
        {SDL_SCANCODE_KP_PERIOD, 0x53}, {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    };
    for (const auto& [sdl, code] : keypad)
        table[static_cast<std::size_t>(sdl)] = code;
    table[SDL_SCANCODE_KP_ENTER] = 0x9C;
    table[SDL_SCANCODE_RCTRL] = 0x9D;
    table[SDL_SCANCODE_RALT] = 0xB8;
    table[SDL_SCANCODE_HOME] = 0xC7;
    table[SDL_SCANCODE_UP] = 0xC8;
    table[SDL_SCANCODE_PAGEUP] = 0xC9;
    table[SDL_SCANCODE_LEFT] = 0xCB;
    table[SDL_SCANCODE_RIGHT] = 0xCD;
    table[SDL_SCANCODE_END] = 0xCF;
    table[SDL_SCANCODE_DOWN] = 0xD0;
    table[SDL_SCANCODE_PAGEDOWN] = 0xD1;
    table[SDL_SCANCODE_INSERT] = 0xD2;
    table[SDL_SCANCODE_DELETE] = 0xD3;
    return table;
}

constexpr auto kScanCodes = BuildTable();

// The SDL scan code of each set-1 code, the first SDL key that maps to it.
constexpr std::array<int, 256> BuildReverse()
{
    std::array<int, 256> reverse{};
    for (int sdl = SDL_NUM_SCANCODES - 1; sdl > 0; --sdl) {
        if (kScanCodes[static_cast<std::size_t>(sdl)])
            reverse[kScanCodes[static_cast<std::size_t>(sdl)]] = sdl;
    }
    return reverse;
}

constexpr auto kSdlScanCodes = BuildReverse();

bool GameWindowHasFocus()
{
    const Window* window = Window::Current();
    return window && window->HasFocus();
}

} // namespace

std::uint8_t ScanCodeOf(int sdlScanCode)
{
    if (sdlScanCode < 0 || sdlScanCode >= SDL_NUM_SCANCODES)
        return 0;
    return kScanCodes[static_cast<std::size_t>(sdlScanCode)];
}

const char* KeyName(std::uint8_t code)
{
    if (IsPadCode(code))
        return PadName(code);
    if (!code || !kSdlScanCodes[code])
        return "";
    return SDL_GetScancodeName(static_cast<SDL_Scancode>(kSdlScanCodes[code]));
}

std::uint8_t KeyNamed(const char* name)
{
    if (!name || !*name)
        return 0;
    for (int input = 0; input < kPadInputs; ++input) {
        const std::uint8_t code = PadCode(static_cast<PadInput>(input));
        if (SDL_strcasecmp(name, PadName(code)) == 0)
            return code;
    }
    return ScanCodeOf(SDL_GetScancodeFromName(name));
}

char TypedChar(std::uint8_t code)
{
    if (!code || !kSdlScanCodes[code])
        return 0;
    const auto sdl = static_cast<SDL_Scancode>(kSdlScanCodes[code]);
    const SDL_Keycode key = SDL_GetKeyFromScancode(sdl);
    if (key > ' ' && key < 0x7F)
        return static_cast<char>(key);
    // Before the video starts there is no keymap: a key named by one
    // character types it, as on the common layout.
    const char* name = SDL_GetScancodeName(sdl);
    const bool single = name[0] > ' ' && name[0] < 0x7F && !name[1];
    return single ? static_cast<char>(std::tolower(static_cast<unsigned char>(name[0]))) : 0;
}

bool ReadKeyboardState(std::uint8_t state[256])
{
    std::memset(state, 0, 256);
    if (!GameWindowHasFocus())
        return false;
    int count = 0;
    const Uint8* held = SDL_GetKeyboardState(&count);
    for (int code = 0; code < count; ++code) {
        if (held[code] && ScanCodeOf(code))
            state[ScanCodeOf(code)] = 0x80;
    }
    return true;
}

bool ReadMouseState(int& dx, int& dy, std::uint8_t buttons[4])
{
    std::memset(buttons, 0, 4);
    dx = 0;
    dy = 0;
    if (!GameWindowHasFocus())
        return false;
    const Uint32 held = SDL_GetRelativeMouseState(&dx, &dy);
    buttons[0] = (held & SDL_BUTTON_LMASK) ? 0x80 : 0;
    buttons[1] = (held & SDL_BUTTON_RMASK) ? 0x80 : 0;
    buttons[2] = (held & SDL_BUTTON_MMASK) ? 0x80 : 0;
    return true;
}

void CaptureMouse(bool capture)
{
    SDL_SetRelativeMouseMode(capture && GameWindowHasFocus() ? SDL_TRUE : SDL_FALSE);
}

} // namespace platform
