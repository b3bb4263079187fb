#include <gtest/gtest.h>

#include <vector>

#include "platform/ConnectCookie.h"

namespace {

using platform::ConnectCookie;

// A cookie is good for the address and port it was given to, in its period
// and the next, and for nothing else; another host's key makes other words.
TEST(ConnectCookie, HoldsForItsAddressAndPortForOneOrTwoPeriods)
{
    const ConnectCookie cookie;
    constexpr std::uint32_t kHost = 0x0100007F;
    constexpr std::uint16_t kPort = 40000;
    constexpr std::uint32_t kPeriod = ConnectCookie::kPeriodMs;
    const std::uint32_t word = cookie.For(kHost, kPort, 5 * kPeriod + 1);
    EXPECT_TRUE(cookie.Accepts(word, kHost, kPort, 5 * kPeriod));
    EXPECT_TRUE(cookie.Accepts(word, kHost, kPort, 6 * kPeriod + kPeriod - 1));
    EXPECT_FALSE(cookie.Accepts(word, kHost, kPort, 7 * kPeriod));
    EXPECT_FALSE(cookie.Accepts(word, kHost, kPort, 4 * kPeriod));
    EXPECT_FALSE(cookie.Accepts(word, kHost + 1, kPort, 5 * kPeriod));
    EXPECT_FALSE(cookie.Accepts(word, kHost, kPort + 1, 5 * kPeriod));
    EXPECT_NE(ConnectCookie().For(kHost, kPort, 5 * kPeriod), word);
}

TEST(ConnectCookie, RequestsAndAnswersReadOnlyFromTheirOwnBytes)
{
    std::vector<std::uint8_t> request = ConnectCookie::EncodeRequest();
    ASSERT_EQ(request.size(), ConnectCookie::kRequestSize);
    EXPECT_TRUE(ConnectCookie::IsRequest(request.data(), request.size()));
    EXPECT_FALSE(ConnectCookie::IsRequest(request.data(), request.size() - 1));
    const std::vector<std::uint8_t> answer = ConnectCookie::EncodeAnswer(0xDEADBEEF);
    EXPECT_EQ(answer, (std::vector<std::uint8_t>{'Q', 'R', 'C', 'A', 0xEF, 0xBE, 0xAD, 0xDE}));
    EXPECT_EQ(ConnectCookie::DecodeAnswer(answer.data(), answer.size()), 0xDEADBEEFu);
    EXPECT_FALSE(ConnectCookie::DecodeAnswer(answer.data(), answer.size() - 1));
    EXPECT_FALSE(ConnectCookie::DecodeAnswer(request.data(), answer.size())) << "a request is no answer";
}

// The top bit is the connect's word that it comes to watch: every cookie
// leaves it clear, and it proves nothing either way.
TEST(ConnectCookie, LeavesItsTopBitToTellWatchersFromPilots)
{
    const ConnectCookie cookie;
    for (std::uint32_t host = 1; host <= 64; ++host) {
        const std::uint32_t word = cookie.For(host, 40000, 0);
        EXPECT_EQ(word & ConnectCookie::kWatchBit, 0u) << host;
        EXPECT_TRUE(cookie.Accepts(word | ConnectCookie::kWatchBit, host, 40000, 0)) << host;
        EXPECT_FALSE(cookie.Accepts((word ^ 1) | ConnectCookie::kWatchBit, host, 40000, 0)) << host;
    }
}

} // namespace
