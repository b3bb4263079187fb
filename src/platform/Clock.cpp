#include "platform/Clock.h"

#include <chrono>

namespace platform {

std::uint32_t WallTickCount()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

std::uint32_t TickCount()
{
    return WallTickCount();
}

} // namespace platform
