#include "platform/Clock.h"

#include <atomic>
#include <chrono>

namespace platform {

namespace {

std::atomic<bool> manual{false};
std::atomic<std::uint32_t> manualTick{0};

} // namespace

std::uint32_t WallTickCount()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

std::uint32_t TickCount()
{
    return manual.load(std::memory_order_relaxed) ? manualTick.load(std::memory_order_relaxed) : WallTickCount();
}

void UseManualTick()
{
    manualTick.store(WallTickCount());
    manual.store(true);
}

void AdvanceTick(std::uint32_t ms)
{
    manualTick.fetch_add(ms, std::memory_order_relaxed);
}

} // namespace platform
