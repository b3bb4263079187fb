#pragma once

#include <cstddef>

// The characters of a player's name the scoreboard has room for; other
// lines that name a player cut it the same, so that it reads alike.
inline constexpr std::size_t kShownNameLength = 13;
