#include "app/FramePacing.h"

#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace {
std::uint32_t lastFrameAt = 0;
} // namespace

void PaceFrame()
{
    constexpr std::uint32_t kShortestFrameMs = 1000 / kMostFramesPerSecond;
    const std::uint32_t elapsed = platform::TickCount() - lastFrameAt;
    if (elapsed < kShortestFrameMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(kShortestFrameMs - elapsed));
    lastFrameAt = platform::TickCount();
}
