#pragma once

#include <cstdint>

// A key-down on the Controls screen: the arrows select a line, Enter waits
// for the next key or button to bind to it (or resets every action on the
// last line), Backspace clears the line, ESC goes back to the options or
// cancels the wait. code is the key's set-1 scan code or a pad code.
void OnControlsKey(std::uint32_t key, std::uint8_t code);
