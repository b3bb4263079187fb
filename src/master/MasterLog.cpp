#include "master/MasterLog.h"

#include <algorithm>
#include <cstdarg>
#include <ctime>

void MasterLog::Say(const char* format, ...)
{
    if (!out)
        return;
    va_list arguments;
    va_start(arguments, format);
    Put(format, arguments);
    va_end(arguments);
}

void MasterLog::Tell(const char* format, ...)
{
    if (!out || !Allowed())
        return;
    va_list arguments;
    va_start(arguments, format);
    Put(format, arguments);
    va_end(arguments);
}

bool MasterLog::Allowed()
{
    const std::int64_t now = clock.NowMs();
    allowance = std::min(kBurstLines, allowance + double(now - lastMs) * kLinesPerSecond / 1000.0);
    lastMs = now;
    if (allowance < 1.0) {
        ++leftOut;
        return false;
    }
    allowance -= 1.0;
    return true;
}

void MasterLog::Put(const char* format, va_list arguments)
{
    const std::int64_t now = clock.WallMs();
    const std::time_t seconds = now / 1000;
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    std::fprintf(out, "%s.%03dZ ", stamp, int(now % 1000));
    if (leftOut > 0) {
        std::fprintf(out, "(%lld lines left out) ", leftOut);
        leftOut = 0;
    }
    std::vfprintf(out, format, arguments);
    std::fputc('\n', out);
    std::fflush(out);
}
