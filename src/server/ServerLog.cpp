#include "server/ServerLog.h"

#include <chrono>
#include <cstdarg>
#include <ctime>

#include "base/TextCopy.h"

void ServerLog::Line(const char* format, ...)
{
    if (!out)
        return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    localtime_r(&seconds, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);

    char text[kTextBufferSize] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::fprintf(out, "%s.%03d %s\n", stamp, static_cast<int>(ms), text);
    std::fflush(out);
}
