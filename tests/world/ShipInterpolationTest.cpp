#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

#include "world/Ship.h"
#include "world/ShipInterpolation.h"
#include "world/Torus.h"

namespace {

constexpr double kSpeed = 160.0; // units a second, a robot's usual coast
constexpr double kWidth = 2048.0;
// The course crosses the seam at about 1.9 s; a rebound turns it at 4.2 s,
// which the server reports at once.
constexpr double kStartX = kWidth - 300.0;
constexpr double kWallX = kStartX + kSpeed * 4.2;

struct Network {
    const char* name;
    double jitterMs; // each report late by up to this either way
    int lostEvery;   // every nth report lost, 0 for none
    bool rebounds;
};

void PrintTo(const Network& network, std::ostream* out)
{
    *out << network.name;
}

// Where the server has the ship at a server ms, unwrapped; it turns through north.
double TrueX(const Network& network, double ms)
{
    const double x = kStartX + kSpeed * ms / 1000.0;
    return network.rebounds && x > kWallX ? 2.0 * kWallX - x : x;
}

float TrueHeading(double ms)
{
    return static_cast<float>(std::fmod(350.0 + ms / 100.0, 360.0));
}

struct Frame {
    double at;
    double x;
    float heading;
    double delay;
};

// The server reports every 50 ms, 100 ms away; the player's frames take
// 7, 16 and 10 ms in turn and take in what arrived before each began.
std::vector<Frame> Fly(const Network& network, ShipInterpolation& motion, Ship& ship)
{
    std::mt19937 random(39);
    std::vector<Frame> frames;
    double sentAt = 0.0, arrival = 100.0, lastArrival = 0.0;
    constexpr int kFrameMs[] = {7, 16, 10};
    for (std::uint64_t now = 0, before = 0, frame = 0; now < 6000; before = now, now += kFrameMs[frame++ % 3]) {
        for (; arrival <= static_cast<double>(now); sentAt += 50.0) {
            const int sent = static_cast<int>(sentAt / 50.0);
            const bool lost = network.lostEvery && sent % network.lostEvery == network.lostEvery - 1;
            const double vx = TrueX(network, sentAt + 1.0) > TrueX(network, sentAt) ? kSpeed : -kSpeed;
            // A report overtaken by a later one is dropped, as a sequenced channel does.
            if (!lost && arrival >= lastArrival)
                motion.Report(ship.GetId(), Vector3(std::fmod(TrueX(network, sentAt), kWidth), 300.0, 0.0),
                              Vector3(vx, 0.0, 0.0), TrueHeading(sentAt), before);
            lastArrival = std::max(lastArrival, arrival);
            const double stray = (static_cast<double>(random() % 2001) / 1000.0 - 1.0) * network.jitterMs;
            arrival = sentAt + 150.0 + stray;
        }
        if (motion.Place(ship, now))
            frames.push_back({static_cast<double>(now), ship.Position().x, ship.GetHeading(), motion.DelayMs(7)});
    }
    return frames;
}

class ShipInterpolationTest : public ::testing::TestWithParam<Network> {};

TEST_P(ShipInterpolationTest, DrawsAnEvenPaceWhereTheServerHadTheShipADelayAgo)
{
    const Network& network = GetParam();
    ShipInterpolation motion;
    motion.SetWorldSize(kWidth, kWidth);
    Ship ship;
    ship.SetId(7);
    const std::vector<Frame> frames = Fly(network, motion, ship);
    ASSERT_GT(frames.size(), 400u);
    double strayed = 0.0, farthest = 0.0, turnedFarthest = 0.0, longestStep = 0.0;
    const auto moved = [&](std::size_t from, std::size_t to) {
        return FoldDifference(frames[to].x - frames[from].x, kWidth);
    };
    for (std::size_t i = 1, j = 1; i < frames.size(); ++i) {
        longestStep = std::max(longestStep, std::fabs(moved(i - 1, i)));
        // Once settled: where the server had the ship the network's 100 ms
        // and the drawing's delay before.
        if (frames[i].at < 1500.0)
            continue;
        const double then = frames[i].at - 100.0 - frames[i].delay;
        farthest = std::max(farthest, std::fabs(FoldDifference(TrueX(network, then) - frames[i].x, kWidth)));
        const float turned = std::remainder(TrueHeading(then) - frames[i].heading, 360.0f);
        turnedFarthest = std::max(turnedFarthest, static_cast<double>(std::fabs(turned)));
        while (j < frames.size() && frames[j].at - frames[i].at < 100.0)
            ++j;
        // A step across the rebound is no coast.
        if (j == frames.size() || moved(j - 1, j) < 0.0 || moved(i, i + 1) < 0.0)
            continue;
        const double step = moved(i, j) * 100.0 / (frames[j].at - frames[i].at);
        strayed = std::max(strayed, std::fabs(step / (kSpeed / 10.0) - 1.0));
    }
    EXPECT_LT(strayed, 0.02) << "100 ms steps of a coast";
    EXPECT_LT(farthest, 6.0) << "drawn where the server had the ship";
    EXPECT_LT(turnedFarthest, 1.0) << "turned as the server had the ship";
    // 16 ms at 160 units/s is 2.6 units: anything much longer is a jump.
    EXPECT_LT(longestStep, 4.0) << "the ship snapped";
    // The frames' own grain is a jitter too, of a few ms.
    EXPECT_GT(motion.JitterMs(), network.jitterMs / 4.0);
    EXPECT_LT(motion.JitterMs(), network.jitterMs / 2.0 + 6.0);
    const double wanted = ShipInterpolation::kIntervals * 50.0 + ShipInterpolation::kJitters * motion.JitterMs();
    EXPECT_NEAR(frames.back().delay, wanted, ShipInterpolation::kDelaySlackMs + 1.0) << "the delay follows the jitter";
}

INSTANTIATE_TEST_SUITE_P(Networks, ShipInterpolationTest,
                         ::testing::Values(Network {"steady", 0.0, 0, false}, Network {"jitter", 20.0, 0, false},
                                           Network {"jitterAndLoss", 20.0, 7, false},
                                           Network {"rebound", 20.0, 7, true}),
                         [](const ::testing::TestParamInfo<Network>& info) { return info.param.name; });

TEST(ShipInterpolation, AForgottenShipIsShownAtOnceWhereItsNextReportSays)
{
    ShipInterpolation motion;
    Ship ship;
    ship.SetId(3);
    EXPECT_FALSE(motion.Place(ship, 0)) << "no reports, nothing to draw";
    for (std::uint64_t at = 0; at < 1000; at += 50)
        motion.Report(3, Vector3(0.16 * static_cast<double>(at), 0, 0), Vector3(kSpeed, 0, 0), 0.0f, at);
    ASSERT_TRUE(motion.Place(ship, 1000));
    EXPECT_LT(ship.Position().x, 0.16 * 950.0) << "drawn a delay behind";
    // It died and spawned elsewhere, at rest.
    motion.Forget(3);
    motion.Report(3, Vector3(1500.0, 200.0, 0.0), Vector3(), 0.0f, 1010);
    ASSERT_TRUE(motion.Place(ship, 1016));
    EXPECT_EQ(std::pair(ship.Position().x, ship.Position().y), std::pair(1500.0, 200.0));
}

} // namespace
