#pragma once

#include <cstdint>

#include "base/Singleton.h"

class KeyBindings;

namespace platform {
class Window;
}

// The keyboard, the game controllers and the mouse. Every loop asks once a
// frame which game keys are held; while the player types a line, or the
// window is in the background, no key is reported.
class Input : public Singleton<Input> {
public:
    static constexpr int kGameKeys = 1;
    static constexpr int kTyping = 3;

    void Initialize(platform::Window* window);
    // Rebuilds the game key table from the player's bindings; F9 stays quit
    // and F8 mute.
    void UseBindings(const KeyBindings& bindings);
    // Whether c is what a chat key types, so it does not open the line.
    bool TypesChat(char c) const;
    // Controllers go on reporting in the background: a lost focus lets go
    // of what they hold until the focus comes back.
    void SetFocus(bool focus) { focused = focus; }
    // The game key of a set-1 scan code or pad code.
    int GameKeyOf(std::uint8_t code) const { return table[code]; }
    // keys[g] = 1 when a key whose game meaning is g is held, else 0.
    void ReadGameKeys(std::uint8_t keys[256]);
    void SetKeyboardMode(int mode);
    bool IsTyping() const { return keyboardMode == kTyping; }

    // Turns a keyboard state (bit 7 of state[scan code] set for a held key)
    // into game-key flags as the current mode allows.
    void Translate(const std::uint8_t state[256], std::uint8_t keys[256]) const;

private:
    friend class Singleton<Input>;
    Input() = default;
    void Reacquire();
    void PollMouse();

    bool keyboard = false;
    bool mouse = false;
    int keyboardMode = kGameKeys;
    int table[256] = {};
    char chatChars[2] = {};
    bool focused = true;
    bool mouseEnabled = true;
    int mouseLimitX = 1;
    int mouseLimitY = 1;
    int mouseX = 0;
    int mouseY = 0;
    bool mouseLeft = false;
    bool mouseRight = false;
};
