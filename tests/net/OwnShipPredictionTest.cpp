#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "net/OwnShipPrediction.h"
#include "world/Ship.h"
#include "world/ShipControls.h"

namespace {

HeldKeys Turning(bool left)
{
    HeldKeys keys;
    if (left)
        keys.Press(kKeyTurnLeft);
    return keys;
}

float Apart(float a, float b)
{
    return std::fabs(std::remainder(a - b, 360.0f));
}

// A server a round trip of 100 ms away, reporting every 20 ms: the ship
// turns the frame the key goes down, stays with what the server will
// have, and does not swing back when the key comes up.
TEST(OwnShipPrediction, TurnsAtOnceAndAgreesWithTheServerAtAnyPing)
{
    for (const int roundTrip : {0, 100, 300}) {
        Ship shown, served;
        OwnShipPrediction prediction;
        std::deque<std::pair<std::uint32_t, HeldKeys>> inFlight;
        prediction.OnReport(shown, 90.0f, 0, roundTrip);
        served.SetHeading(90.0f);
        float largest = 0.0f, swing = 0.0f, released = 0.0f;
        for (std::uint32_t now = 10; now <= 2000; now += 10) {
            const bool held = now <= 500;
            prediction.Step(shown, Turning(held), 10, now);
            inFlight.push_back({now, Turning(held)});
            while (!inFlight.empty() && now - inFlight.front().first >= static_cast<std::uint32_t>(roundTrip)) {
                served.SetHeading(served.GetHeading() + ShipControls::Turned(served, inFlight.front().second, 10));
                inFlight.pop_front();
            }
            if (now % 20 == 0)
                prediction.OnReport(shown, served.GetHeading(), now, roundTrip);
            if (now == 510)
                released = shown.GetHeading();
            if (now > 510)
                swing = std::max(swing, Apart(shown.GetHeading(), released));
            if (now > 520 + static_cast<std::uint32_t>(roundTrip))
                largest = std::max(largest, Apart(shown.GetHeading(), served.GetHeading()));
        }
        EXPECT_LT(swing, 1.0f) << roundTrip << " ms: the ship swung back after the key came up";
        EXPECT_LT(largest, 1.0f) << roundTrip << " ms: apart from the server";
        EXPECT_LT(Apart(served.GetHeading(), 90.0f - 0.5f * served.GetTurnRate()), 1.0f) << roundTrip;
    }
}

// A small disagreement is eased in over frames; a large one is the server
// turning the ship, taken at once.
TEST(OwnShipPrediction, EasesSmallDisagreementsAndTakesJumps)
{
    Ship ship;
    OwnShipPrediction prediction;
    prediction.OnReport(ship, 100.0f, 0, 0);
    prediction.OnReport(ship, 110.0f, 0, 0);
    prediction.Step(ship, HeldKeys(), 10, 10);
    EXPECT_TRUE(ship.GetHeading() > 100.5f && ship.GetHeading() < 109.5f) << ship.GetHeading();
    for (std::uint32_t now = 20; now < 300; now += 10)
        prediction.Step(ship, HeldKeys(), 10, now);
    EXPECT_NEAR(ship.GetHeading(), 110.0f, 0.05f);
    prediction.OnReport(ship, 250.0f, 300, 0);
    EXPECT_FLOAT_EQ(ship.GetHeading(), 250.0f);
}

} // namespace
