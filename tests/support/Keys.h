#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Key presses and typed text delivered to the game's window procedure, as
// the window would deliver them.
void Type(const std::string& text);
void Key(std::uint32_t virtualKey);

// The console's log, oldest line first.
std::vector<std::string> ConsoleLines();

// A UDP port of the running test's own, picked by base and the test's name,
// so that tests that open sessions may run side by side.
std::uint16_t TestPort(std::uint16_t base);
