#include "app/Input.h"

#include <cstring>
#include <memory>

#include "app/DiagnosticLog.h"
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

    std::memset(table, 0, sizeof table);
    table[0x43] = kKeyQuit;
    table[0x58] = kKeyOutlines;
    table[0x57] = kKeyNames;
    table[0x28] = kKeyChat;
    table[0x24] = kKeyTurnLeft;
    table[0x26] = kKeyTurnRight;
    table[0x25] = kKeyThrust;
    table[0x20] = kKeyShields;
    table[0x39] = kKeyFire;
    table[0x2F] = kKeyMissile;
    table[0x2E] = kKeyMine;
    table[0x12] = kKeyPlasmaMine;
    table[0x13] = kKeyRepulsor;
    table[0x21] = kKeyFuelUp;
    table[0x1F] = kKeyCloak;
    table[0x01] = kKeyLeave;
    table[0x42] = kKeyMute;

    SetKeyboardMode(kGameKeys);
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
    if (platform::ReadKeyboardState(state))
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
