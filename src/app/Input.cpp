#include "app/Input.h"

#include <cctype>
#include <cstring>
#include <memory>

#include "app/DiagnosticLog.h"
#include "app/KeyBindings.h"
#include "platform/Gamepads.h"
#include "platform/Keyboard.h"
#include "platform/Window.h"
#include "world/GameKey.h"

void Input::Initialize(platform::Window* window)
{
    mouseEnabled = true;
    mouseLimitX = 1;
    mouseLimitY = 1;
    mouseX = 0;
    mouseY = 0;
    mouseLeft = false;
    mouseRight = false;

    DiagnosticLog* log = DiagnosticLog::Instance();
    keyboard = window != nullptr;
    mouse = window != nullptr;
    if (!keyboard)
        log->Print(0, "Input Error: Unable to create DI interface");
    else
        log->Print(0, "Now using DirectInput for all keyboard interaction");

    UseBindings(KeyBindings());
    SetKeyboardMode(kGameKeys);
}

void Input::UseBindings(const KeyBindings& bindings)
{
    std::memset(table, 0, sizeof table);
    table[KeyBindings::kQuitKey] = kKeyQuit;
    table[KeyBindings::kMuteKey] = kKeyMute;
    for (int action = 0; action < KeyBindings::kActions; ++action) {
        for (int place = 0; place < KeyBindings::kKeysPerAction; ++place) {
            for (const std::uint8_t code : {bindings.Keys(action)[place], bindings.Pads(action)[place]}) {
                if (code)
                    table[code] = KeyBindings::Action(action).key;
            }
        }
    }
    const int chat = KeyBindings::ActionNamed("chat");
    for (int place = 0; place < KeyBindings::kKeysPerAction; ++place)
        chatChars[place] = platform::TypedChar(bindings.Keys(chat)[place]);
}

bool Input::TypesChat(char c) const
{
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c && (chatChars[0] == lower || chatChars[1] == lower);
}

void Input::SetKeyboardMode(int mode)
{
    const bool wasBuffered = keyboardMode == 0 || keyboardMode == 1;
    keyboardMode = mode;
    if (!keyboard)
        return;
    const bool buffered = mode == 0 || mode == 1;
    if (buffered != wasBuffered)
        DiagnosticLog::Instance()->Print(5, buffered ? "Setting keyboard to buffered mode"
                                                     : "Setting keybaord to unbuffered mode");
}

void Input::Reacquire()
{
    DiagnosticLog::Instance()->Print(5, "Attempting to reacquire DI devices...");
    if (mouse && mouseEnabled)
        PollMouse();
}

void Input::PollMouse()
{
    int dx = 0;
    int dy = 0;
    std::uint8_t buttons[4];
    if (!platform::ReadMouseState(dx, dy, buttons)) {
        DiagnosticLog::Instance()->Print(5, "mouse poll failed: Not acquired");
        return;
    }
    mouseX += dx;
    mouseY -= dy;
    if (mouseX > mouseLimitX)
        mouseX = mouseLimitX;
    if (mouseY > mouseLimitY)
        mouseY = mouseLimitY;
    mouseLeft = buttons[0] & 0x80;
    mouseRight = buttons[1] & 0x80;
}

void Input::ReadGameKeys(std::uint8_t keys[256])
{
    std::memset(keys, 0, 256);
    if (!keyboard)
        return;
    Reacquire();
    std::uint8_t state[256];
    const bool keyboardRead = platform::ReadKeyboardState(state);
    const bool padsRead = focused && platform::ReadPadState(state);
    if (keyboardRead || padsRead)
        Translate(state, keys);
}

void Input::Translate(const std::uint8_t state[256], std::uint8_t keys[256]) const
{
    std::memset(keys, 0, 256);
    if (keyboardMode != kGameKeys)
        return;
    for (int code = 0; code < 256; ++code) {
        if (state[code] & 0x80)
            keys[table[code]] = 1;
    }
}
