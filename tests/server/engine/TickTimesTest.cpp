#include <gtest/gtest.h>

#include <tuple>

#include "server/engine/TickTimes.h"

TEST(TickTimes, QuantilesAndTheLongestAreOfTheLastMinuteAlone)
{
    TickTimes times;
    EXPECT_EQ(times.Quantile(0.5), 0);
    times.Add(0, 50000); // a stall, a minute before the rest
    for (int i = 1; i <= 100; ++i)
        times.Add(TickTimes::kWindowMs + static_cast<std::uint64_t>(i), i);
    EXPECT_EQ(std::tuple(times.Last(), times.Quantile(0.5), times.Quantile(0.99), times.Quantile(1.0)),
              std::tuple(100, 50, 99, 100));
    EXPECT_EQ(times.Longest(), 100) << "the stall is more than a minute old";
}
