#include <gtest/gtest.h>

#include "server/engine/TickTimes.h"

TEST(TickTimes, QuantilesAndTheLongestAreOfTheLastMinuteAlone)
{
    TickTimes times;
    EXPECT_EQ(times.Quantile(0.5), 0);
    times.Add(0, 50000); // a stall, a minute before the rest
    for (int i = 1; i <= 100; ++i)
        times.Add(TickTimes::kWindowMs + static_cast<std::uint64_t>(i), i);
    EXPECT_EQ(times.Last(), 100);
    EXPECT_EQ(times.Quantile(0.5), 50);
    EXPECT_EQ(times.Quantile(0.99), 99);
    EXPECT_EQ(times.Quantile(1.0), 100);
    EXPECT_EQ(times.Longest(), 100) << "the stall is more than a minute old";
}
