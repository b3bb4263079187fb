#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, in 32 bits: it wraps after about
// 49.7 days, so every caller compares ticks by unsigned difference.
std::uint32_t TickCount();

// The same real milliseconds, for the transport's work budgets and waits.
std::uint32_t WallTickCount();

} // namespace platform
