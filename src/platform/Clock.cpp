#include "platform/Clock.h"

#include <chrono>

namespace platform {

std::uint32_t TickCount()
{
    return static_cast<std::uint32_t>(LongTickCount());
}

std::uint64_t LongTickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::int64_t WallSeconds()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace platform
