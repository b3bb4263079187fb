#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <vector>

#include "world/Ship.h"
#include "world/ShipInterpolation.h"

namespace {

constexpr double kSpeed = 160.0; // units a second, a robot's usual coast
constexpr double kWallX = 900.0;
constexpr double kWidth = 2048.0;

// Where the server has the ship at a server ms, and its velocity: a coast
// along x, or one that rebounds off a wall.
struct Truth {
    double x;
    double vx;
};
using Course = std::function<Truth(double ms)>;

Truth Coast(double ms)
{
    return {100.0 + kSpeed * ms / 1000.0, kSpeed};
}

Truth Rebound(double ms)
{
    const double x = 100.0 + kSpeed * ms / 1000.0;
    return x <= kWallX ? Truth {x, kSpeed} : Truth {2.0 * kWallX - x, -kSpeed};
}

struct Network {
    const char* name;
    double jitterMs; // each report late by up to this either way
    int lostEvery;   // every nth report lost, 0 for none
    Course course;
    double steadiest; // most a 100 ms step strays from the true one, as a share
};

struct Frame {
    double at;
    double x;
    double delay;
};

// The server reports every 50 ms, 100 ms away; the player's frames take
// 7, 16 and 10 ms in turn and take in what arrived before each began.
std::vector<Frame> Fly(const Network& network, ShipInterpolation& motion, Ship& ship)
{
    std::mt19937 random(39);
    std::vector<Frame> frames;
    double sentAt = 0.0, arrival = 100.0, lastArrival = 0.0;
    int sent = 0;
    constexpr int kFrameMs[] = {7, 16, 10};
    for (std::uint64_t now = 0, before = 0, frame = 0; now < 6000; before = now, now += kFrameMs[frame++ % 3]) {
        while (arrival <= static_cast<double>(now)) {
            const Truth truth = network.course(sentAt);
            const bool lost = network.lostEvery && sent % network.lostEvery == network.lostEvery - 1;
            // A report overtaken by a later one is dropped, as a sequenced channel does.
            if (!lost && arrival >= lastArrival)
                motion.Report(ship.GetId(), Vector3(truth.x, 300.0, 0.0), Vector3(truth.vx, 0.0, 0.0), 90.0f, before);
            lastArrival = std::max(lastArrival, arrival);
            ++sent;
            sentAt += 50.0;
            const double stray = (static_cast<double>(random() % 2001) / 1000.0 - 1.0) * network.jitterMs;
            arrival = sentAt + 100.0 + stray;
        }
        if (motion.Place(ship, now))
            frames.push_back({static_cast<double>(now), ship.Position().x, motion.DelayMs(ship.GetId())});
    }
    return frames;
}

void PrintTo(const Network& network, std::ostream* out)
{
    *out << network.name;
}

class ShipInterpolationTest : public ::testing::TestWithParam<Network> {
protected:
    void SetUp() override
    {
        ship.SetId(7);
        motion.SetWorldSize(kWidth, kWidth);
    }

    ShipInterpolation motion;
    Ship ship;
};

TEST_P(ShipInterpolationTest, DrawsAnEvenPaceWhereTheServerHadTheShipADelayAgo)
{
    const Network& network = GetParam();
    const std::vector<Frame> frames = Fly(network, motion, ship);
    ASSERT_GT(frames.size(), 400u);
    double strayed = 0.0, farthest = 0.0, longestStep = 0.0;
    for (std::size_t i = 1, j = 1; i < frames.size(); ++i) {
        longestStep = std::max(longestStep, std::fabs(frames[i].x - frames[i - 1].x));
        // Once settled: where the server had the ship the network's 100 ms
        // and the drawing's delay before.
        if (frames[i].at < 1500.0)
            continue;
        const Truth then = network.course(frames[i].at - 100.0 - frames[i].delay);
        farthest = std::max(farthest, std::fabs(then.x - frames[i].x));
        while (j < frames.size() && frames[j].at - frames[i].at < 100.0)
            ++j;
        // A step across the rebound is no coast.
        if (j == frames.size() || frames[j].x < frames[j - 1].x || frames[i + 1].x < frames[i].x)
            continue;
        const double step = (frames[j].x - frames[i].x) * 100.0 / (frames[j].at - frames[i].at);
        strayed = std::max(strayed, std::fabs(step / (kSpeed / 10.0) - 1.0));
    }
    EXPECT_LT(strayed, network.steadiest) << "100 ms steps of a coast";
    EXPECT_LT(farthest, 6.0) << "drawn where the server had the ship";
    // 16 ms at 160 units/s is 2.6 units: anything much longer is a jump.
    EXPECT_LT(longestStep, 4.0) << "the ship snapped";
    // The frames' own grain is a jitter too, of a few ms.
    EXPECT_GT(motion.JitterMs(), network.jitterMs / 4.0);
    EXPECT_LT(motion.JitterMs(), network.jitterMs / 2.0 + 6.0);
    const double wanted = ShipInterpolation::kIntervals * 50.0 + ShipInterpolation::kJitters * motion.JitterMs();
    EXPECT_NEAR(frames.back().delay, wanted, ShipInterpolation::kDelaySlackMs + 1.0) << "the delay follows the jitter";
}

INSTANTIATE_TEST_SUITE_P(
    Networks, ShipInterpolationTest,
    ::testing::Values(Network {"steady", 0.0, 0, Coast, 0.02}, Network {"jitter", 20.0, 0, Coast, 0.02},
                      Network {"jitterAndLoss", 20.0, 7, Coast, 0.02},
                      Network {"rebound", 20.0, 7, Rebound, 0.02}),
    [](const ::testing::TestParamInfo<Network>& info) { return info.param.name; });

TEST(ShipInterpolation, AForgottenShipIsShownAtOnceWhereItsNextReportSays)
{
    ShipInterpolation motion;
    motion.SetWorldSize(kWidth, kWidth);
    Ship ship;
    ship.SetId(3);
    EXPECT_FALSE(motion.Place(ship, 0)) << "no reports, nothing to draw";
    for (std::uint64_t at = 0; at < 1000; at += 50)
        motion.Report(3, Vector3(100.0 + 0.16 * static_cast<double>(at), 300.0, 0.0), Vector3(kSpeed, 0, 0), 90.0f, at);
    ASSERT_TRUE(motion.Place(ship, 1000));
    EXPECT_LT(ship.Position().x, 100.0 + 0.16 * 950.0) << "drawn a delay behind";

    // It died and spawned elsewhere, at rest.
    motion.Forget(3);
    motion.Report(3, Vector3(1500.0, 200.0, 0.0), Vector3(), 0.0f, 1010);
    ASSERT_TRUE(motion.Place(ship, 1016));
    EXPECT_DOUBLE_EQ(ship.Position().x, 1500.0);
    EXPECT_DOUBLE_EQ(ship.Position().y, 200.0);
}

TEST(ShipInterpolation, ACoastAcrossTheSeamAndATurnThroughNorthAreDrawnTheShortWayRound)
{
    ShipInterpolation motion;
    motion.SetWorldSize(kWidth, kWidth);
    Ship ship;
    ship.SetId(5);
    double last = 0.0;
    float lastHeading = 0.0f;
    for (std::uint64_t at = 0; at <= 1000; at += 10) {
        if (at % 50 == 0) {
            const double x = std::fmod(kWidth - 80.0 + 0.16 * static_cast<double>(at), kWidth);
            const auto heading = static_cast<float>(std::fmod(350.0 + 0.02 * static_cast<double>(at), 360.0));
            motion.Report(5, Vector3(x, 300.0, 0.0), Vector3(kSpeed, 0, 0), heading, at);
        }
        ASSERT_TRUE(motion.Place(ship, at));
        if (at > 0) {
            const double step = std::fmod(ship.Position().x - last + kWidth, kWidth);
            EXPECT_NEAR(step, 1.6, 0.2) << "at " << at;
            // Before its first report's moment the ship is drawn as that report had it.
            if (at >= 200) {
                EXPECT_NEAR(std::remainder(ship.GetHeading() - lastHeading, 360.0f), 0.2f, 0.1f) << "at " << at;
            }
        }
        last = ship.Position().x;
        lastHeading = ship.GetHeading();
    }
}

} // namespace
