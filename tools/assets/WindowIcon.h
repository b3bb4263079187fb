#pragma once

#include <cstdint>
#include <vector>

constexpr int kIconSize = 32;

// The window's icon: a small craft on a dark disc, 32 x 32 RGBA.
std::vector<std::uint8_t> RenderWindowIcon();
