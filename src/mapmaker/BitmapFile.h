#pragma once

#include <cstdint>
#include <vector>

// A 24-bit Windows bitmap (bottom row first, no palette) of an RGBA picture
// given top row first: what the radar reads beside each map.
std::vector<std::uint8_t> EncodeBitmap(const std::vector<std::uint8_t>& rgba, int width, int height);
