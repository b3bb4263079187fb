#include "server/game/LinkShare.h"

#include <algorithm>

namespace {

// A few lost datagrams are any path's lot, and a round trip within this
// is a link's distance, not its queues filling.
constexpr double kLossBorne = 0.02;
constexpr double kRoundTripBorne = 250.0;
// ENet's throttle dips with every late acknowledgement, a busy host's
// included: only a deep cut is the link's.
constexpr double kThrottleBorne = 0.25;
// Room for the reliable bytes of a round trip, a welcome's worth more.
constexpr double kBacklogSlackMs = 250.0;
constexpr double kBacklogSlackBytes = 1500.0;

} // namespace

double LinkShare::Allowed(const LinkState& link)
{
    // ENet drops that part of the unreliable payloads itself: sending
    // fewer spends the share on states that arrive.
    const double throttled = link.throttle + kThrottleBorne;
    const double lossy = 1.0 - 2.0 * std::max(0.0, link.loss - kLossBorne);
    const double slow = link.roundTripMs > kRoundTripBorne ? kRoundTripBorne / link.roundTripMs : 1.0;
    return std::clamp(std::min({throttled, lossy, slow}), kLeast, 1.0);
}

double LinkShare::BacklogAbove(std::uint32_t roundTripMs, double bytesPerSecond)
{
    return bytesPerSecond * (roundTripMs + kBacklogSlackMs) / 1000.0 + kBacklogSlackBytes;
}

void LinkShare::Measure(const LinkState& link, double fullBytesPerSecond, int ms)
{
    reads = link.reads;
    const double allowed = Allowed(link);
    backlogged = static_cast<double>(link.reliableQueued) > BacklogAbove(link.roundTripMs, fullBytesPerSecond * part);
    if (allowed <= part || backlogged)
        part = std::min(part, allowed);
    else
        part = std::min(allowed, part + kGrowthPerSecond * ms / 1000.0);
}
