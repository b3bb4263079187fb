#pragma once

#include <cstdio>

// The operator's log: one line per event, each behind the local time to the
// millisecond. Without a stream it writes nothing (tests, benchmarks).
class ServerLog {
public:
    explicit ServerLog(std::FILE* stream = stdout) : out(stream) {}

    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::FILE* out;
};
