#pragma once

#include <chrono>
#include <cstdio>

#include "server/game/EventLog.h"

// The operator's log: one line per event, each behind the local time to the
// millisecond. Without a stream it writes nothing (tests, benchmarks).
// Lines that peers cause are limited to a steady rate, so that a flood of
// connections or requests can neither fill the disk nor stall the ticks;
// how many were left out is said with the next line that is written.
// When the stream's reader goes away, logging stops (SIGPIPE must be
// ignored for the write to fail rather than end the program).
class ServerLog : public EventLog {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();
    static constexpr double kBurstLines = 200.0;
    static constexpr double kLinesPerSecond = 20.0;

    explicit ServerLog(std::FILE* stream = stdout, Now now = Clock::now) : out(stream), now(now), lastAt(now()) {}

protected:
    bool Takes(bool always) override { return out && (always || Allowed()); }
    void Put(const char* text) override;

private:
    bool Allowed();

    std::FILE* out;
    Now now;
    double allowance = kBurstLines;
    Clock::time_point lastAt;
    long long leftOut = 0;
};
