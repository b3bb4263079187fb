#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, in 32 bits: it wraps after about
// 49.7 days, so every caller compares ticks by unsigned difference.
std::uint32_t TickCount();

// A run that is not in real time (a headless game simulated as fast as it
// goes) moves the tick by hand: after UseManualTick, TickCount stands still
// but for AdvanceTick, so lifetimes run on the simulated clock.
void UseManualTick();
void AdvanceTick(std::uint32_t ms);

// Real milliseconds whatever the game's clock does: the transport's work
// budgets and waits, which must end in real time.
std::uint32_t WallTickCount();

} // namespace platform
