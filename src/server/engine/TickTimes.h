#pragma once

#include <cstdint>
#include <deque>

// How long the ticks of the last minute took, for the metrics: the last,
// the median, the 99th percentile and the longest. Times are the game's
// clock in milliseconds, durations microseconds.
class TickTimes {
public:
    static constexpr std::uint64_t kWindowMs = 60 * 1000;

    void Add(std::uint64_t nowMs, std::int64_t micros);
    std::int64_t Last() const { return ticks.empty() ? 0 : ticks.back().micros; }
    // The share (0.5 for the median) of the last minute's ticks that took
    // this long or less; 0 before the first tick.
    std::int64_t Quantile(double share) const;
    std::int64_t Longest() const;

private:
    struct Tick {
        std::uint64_t at;
        std::int64_t micros;
    };
    std::deque<Tick> ticks;
};
