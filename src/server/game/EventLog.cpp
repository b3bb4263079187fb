#include "server/game/EventLog.h"

#include <cstdio>

#include "base/TextCopy.h"

void EventLog::Line(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Write(false, format, args);
    va_end(args);
}

void EventLog::Always(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Write(true, format, args);
    va_end(args);
}

void EventLog::Write(bool always, const char* format, va_list args)
{
    if (!Takes(always))
        return;
    char text[kTextBufferSize] = {};
    std::vsnprintf(text, sizeof text, format, args);
    Put(text);
}
