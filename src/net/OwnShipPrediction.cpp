#include "net/OwnShipPrediction.h"

#include <algorithm>
#include <cmath>

#include "world/Ship.h"
#include "world/ShipControls.h"

namespace {

// The shorter way round from one heading to another, in -180..180.
float Towards(float from, float to)
{
    return std::remainder(to - from, 360.0f);
}

} // namespace

void OwnShipPrediction::SetEnabled(bool on)
{
    enabled = on;
    Reset();
}

void OwnShipPrediction::Reset()
{
    known = false;
    correction = 0.0f;
    sent.clear();
}

void OwnShipPrediction::Step(Ship& ship, const HeldKeys& keys, int ms, std::uint32_t now)
{
    if (!enabled || ms < 0)
        return;
    while (!sent.empty() && now - sent.front().at > kLongestRoundTripMs)
        sent.pop_front();
    sent.push_back({now, keys, ms});
    const float eased = correction * std::min(1.0f, kEaseShare * static_cast<float>(ms) / 10.0f);
    correction -= eased;
    ship.SetHeading(ship.GetHeading() + ShipControls::Turned(ship, keys, ms) + eased);
}

void OwnShipPrediction::OnReport(Ship& ship, float heading, std::uint32_t now, int roundTripMs)
{
    if (!enabled) {
        ship.SetHeading(heading);
        return;
    }
    float ahead = 0.0f;
    for (const Sent& keys : sent) {
        if (now - keys.at < static_cast<std::uint32_t>(std::max(0, roundTripMs)))
            ahead += ShipControls::Turned(ship, keys.keys, keys.ms);
    }
    const float off = Towards(ship.GetHeading(), heading + ahead);
    if (!known || std::fabs(off) > kJumpDegrees) {
        ship.SetHeading(heading + ahead);
        correction = 0.0f;
        known = true;
        return;
    }
    correction = off;
}
