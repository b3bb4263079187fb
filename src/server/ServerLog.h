#pragma once

#include <chrono>
#include <cstdarg>
#include <cstdio>

// The operator's log: one line per event, each behind the local time to the
// millisecond. Without a stream it writes nothing (tests, benchmarks).
// Lines that peers cause are limited to a steady rate, so that a flood of
// connections or requests can neither fill the disk nor stall the ticks;
// how many were left out is said with the next line that is written.
class ServerLog {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();
    static constexpr double kBurstLines = 200.0;
    static constexpr double kLinesPerSecond = 20.0;

    explicit ServerLog(std::FILE* stream = stdout, Now now = Clock::now) : out(stream), now(now), lastAt(now()) {}

    // An event; left out while lines come faster than the limit.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The operator's own lines (start, status, end, and what players on
    // the server's machine ask for): always written.
    void Always(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    bool Allowed();
    void Write(const char* format, va_list args);

    std::FILE* out;
    Now now;
    double allowance = kBurstLines;
    Clock::time_point lastAt;
    long long leftOut = 0;
};
