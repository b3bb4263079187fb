#pragma once

#include <cstdarg>

// Where the game says what happens, a line an event. The server's log
// stamps and paces the lines; this one alone keeps them to itself (robot
// trials, tests, benchmarks).
class EventLog {
public:
    virtual ~EventLog() = default;

    // An event; left out while lines come faster than the log takes them.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The operator's own lines (start, status, end, and what players on
    // the server's machine ask for): always written.
    void Always(const char* format, ...) __attribute__((format(printf, 2, 3)));

protected:
    // Whether a line goes out now; always for one that must.
    virtual bool Takes(bool /*always*/) { return false; }
    virtual void Put(const char* /*text*/) {}

private:
    void Write(bool always, const char* format, va_list args);
};
