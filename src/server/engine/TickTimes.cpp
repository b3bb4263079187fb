#include "server/engine/TickTimes.h"

#include <algorithm>
#include <cmath>
#include <vector>

void TickTimes::Add(std::uint64_t nowMs, std::int64_t micros)
{
    ticks.push_back({nowMs, micros});
    while (!ticks.empty() && nowMs - ticks.front().at >= kWindowMs)
        ticks.pop_front();
}

std::int64_t TickTimes::Quantile(double share) const
{
    if (ticks.empty())
        return 0;
    std::vector<std::int64_t> times;
    times.reserve(ticks.size());
    for (const Tick& tick : ticks)
        times.push_back(tick.micros);
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(times.size())));
    const auto nth = times.begin() + static_cast<std::ptrdiff_t>(std::clamp<std::size_t>(rank, 1, times.size()) - 1);
    std::nth_element(times.begin(), nth, times.end());
    return *nth;
}

std::int64_t TickTimes::Longest() const
{
    std::int64_t longest = 0;
    for (const Tick& tick : ticks)
        longest = std::max(longest, tick.micros);
    return longest;
}
