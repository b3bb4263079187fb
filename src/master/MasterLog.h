#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "master/MasterClock.h"

// The operator's log: a line per event behind the UTC time. Lines that
// peers cause are held to a steady rate, so a flood fills neither the disk
// nor the loop; how many were left out is said with the next line written.
// Without a stream it writes nothing (tests, benchmarks).
class MasterLog {
public:
    static constexpr double kBurstLines = 200.0;
    static constexpr double kLinesPerSecond = 20.0;

    MasterLog(std::FILE* stream, const MasterClock& clock) : out(stream), clock(clock) {}

    // A line of the operator's own doing (start, stop): never left out.
    void Say(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A line that a peer caused.
    void Tell(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    bool Allowed();
    void Put(const char* format, va_list arguments);

    std::FILE* out;
    const MasterClock& clock;
    double allowance = kBurstLines;
    std::int64_t lastMs = 0;
    long long leftOut = 0;
};
