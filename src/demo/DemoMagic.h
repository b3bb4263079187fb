#pragma once

#include <cstdint>

// The first bytes of every demo file; the last two catch a file that went
// through a text-mode copy.
inline constexpr std::uint8_t kDemoMagic[8] = {'Q', 'R', 'D', 'E', 'M', 'O', 0x1A, '\n'};
