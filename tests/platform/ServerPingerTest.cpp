#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/ServerPinger.h"
#include "support/SearchSocket.h"

namespace {

const platform::Guid kGame = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};

std::map<std::string, int> PollFor(platform::ServerPinger& pinger, std::size_t wanted, int seconds)
{
    std::map<std::string, int> done;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (done.size() < wanted && std::chrono::steady_clock::now() < until) {
        for (const auto& [address, ms] : pinger.Poll())
            done[address] = ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done;
}

} // namespace

// Twenty servers asked for at once: sixteen searches go, the answered
// ones are measured, then the last four go and, unanswered, end silent.
// An answer of another game or to another search is not a ping.
TEST(ServerPinger, PingsAtMostSixteenAtOnceAndCountsTheSilent)
{
    SearchSocket game;
    platform::ServerPinger pinger(kGame);
    for (int i = 1; i <= 20; ++i)
        pinger.Ask(game.Address(i));
    pinger.Ask(game.Address(1)); // already queued
    pinger.Ask("not an address");
    EXPECT_TRUE(pinger.Poll().empty());
    auto heard = game.Hear();
    ASSERT_EQ(heard.size(), platform::ServerPinger::kMostAtOnce);

    game.Answer(heard[0], platform::Guid{}); // another application
    auto stranger = heard[1];
    stranger.search.nonce ^= 1;
    game.Answer(stranger, kGame);
    for (const auto& one : heard)
        game.Answer(one, kGame);
    const auto answered = PollFor(pinger, 16, 5);
    ASSERT_EQ(answered.size(), 16u);
    for (const auto& [address, ms] : answered)
        EXPECT_GE(ms, 0) << address;

    EXPECT_EQ(game.Hear().size(), 4u) << "the rest go once room is made";
    EXPECT_FALSE(pinger.Idle());
    const auto silent = PollFor(pinger, 4, 5);
    ASSERT_EQ(silent.size(), 4u);
    for (const auto& [address, ms] : silent)
        EXPECT_EQ(ms, platform::ServerPinger::kSilent) << address;
    EXPECT_TRUE(pinger.Idle());
}

// A server is pinged once at a time, and again once its ping has ended.
TEST(ServerPinger, AsksAgainOnceAPingHasEnded)
{
    SearchSocket game;
    platform::ServerPinger pinger(kGame);
    pinger.Ask(game.Address(1));
    pinger.Poll();
    const auto heard = game.Hear();
    ASSERT_EQ(heard.size(), 1u);
    pinger.Ask(game.Address(1));
    pinger.Poll();
    EXPECT_TRUE(game.Hear().empty()) << "one on its way";
    game.Answer(heard[0], kGame);
    ASSERT_EQ(PollFor(pinger, 1, 5).size(), 1u);
    pinger.Ask(game.Address(1));
    pinger.Poll();
    EXPECT_EQ(game.Hear().size(), 1u);
}
