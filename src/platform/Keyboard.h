#pragma once

#include <cstdint>

namespace platform {

// The keyboard as DirectInput reports it: 256 bytes indexed by the
// keyboard's set-1 scan code, bit 7 set for a held key. False, with every
// byte 0, while the game window lacks the keyboard focus.
bool ReadKeyboardState(std::uint8_t state[256]);

// The set-1 scan code of an SDL scan code; 0 for keys the game never names.
std::uint8_t ScanCodeOf(int sdlScanCode);

// SDL's name of the key with a set-1 scan code ("J", "Space", "Left Shift"),
// or a controller's input ("Pad A"); empty for codes nothing has.
const char* KeyName(std::uint8_t code);
// The code of the key SDL calls name or of the controller input, in any
// case; 0 for names of keys the game cannot read.
std::uint8_t KeyNamed(const char* name);
// The character the key types without a modifier; 0 for keys that type none.
char TypedChar(std::uint8_t code);

// Relative mouse movement since the last read and the button bytes (bit 7
// set when held); false while the game window lacks focus.
bool ReadMouseState(int& dx, int& dy, std::uint8_t buttons[4]);
// Keeps the pointer inside the game window while it has the focus.
void CaptureMouse(bool capture);

} // namespace platform
