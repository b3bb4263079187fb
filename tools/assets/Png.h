#pragma once

#include <cstdint>
#include <vector>

// A PNG file of an RGBA picture given top row first, for desktops that want
// the game's icon. Stored without compression: it is small, and the
// generator needs no compression library.
std::vector<std::uint8_t> EncodePng(const std::vector<std::uint8_t>& rgba, int width, int height);
