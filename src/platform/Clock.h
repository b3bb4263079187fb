#pragma once

#include <cstdint>

namespace platform {

// Real milliseconds since an arbitrary start, in 32 bits, for pings and
// the transport's budgets and waits (the game keeps a clock of its own):
// it wraps after about 49.7 days, so every caller compares ticks by
// unsigned difference.
std::uint32_t TickCount();
// The same in 64 bits, which never wrap: for periods that must not break
// where the 32-bit count does.
std::uint64_t LongTickCount();

// Seconds since 1970 in UTC, for what must outlast the process (bans).
std::int64_t WallSeconds();

} // namespace platform
