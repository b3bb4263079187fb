#include <gtest/gtest.h>

#include "server/game/LinkShare.h"

namespace {

constexpr double kFull = 6000.0;

LinkState Clean()
{
    LinkState link;
    link.roundTripMs = 60;
    return link;
}

// Each bad figure on its own costs the link part of its share, a worse
// one more, but never all of it: a player on the worst link still sees.
TEST(LinkShareTest, EachSignOfALinkThatCannotKeepUpCutsItsShareAndTheWorseTheMore)
{
    EXPECT_EQ(LinkShare::Allowed(Clean()), 1.0);
    LinkState lossy = Clean();
    lossy.loss = 0.02;
    EXPECT_EQ(LinkShare::Allowed(lossy), 1.0) << "a little loss is any path's";
    LinkState far = Clean();
    far.roundTripMs = 200;
    EXPECT_EQ(LinkShare::Allowed(far), 1.0) << "distance alone is no congestion";
    LinkState wavering = Clean();
    wavering.throttle = 0.8;
    EXPECT_EQ(LinkShare::Allowed(wavering), 1.0) << "a throttle that dips a little";

    const auto worse = [](auto change) {
        LinkState some = Clean();
        LinkState more = Clean();
        change(some, 1.0);
        change(more, 2.0);
        const double a = LinkShare::Allowed(some);
        const double b = LinkShare::Allowed(more);
        EXPECT_LT(a, 1.0);
        EXPECT_LT(b, a);
    };
    worse([](LinkState& l, double how) { l.loss = 0.1 * how; });
    worse([](LinkState& l, double how) { l.throttle = 0.7 - 0.2 * how; });
    worse([](LinkState& l, double how) { l.roundTripMs = static_cast<std::uint32_t>(300 * how); });

    LinkState dire;
    dire.roundTripMs = 3000;
    dire.loss = 0.9;
    dire.throttle = 0.0;
    EXPECT_EQ(LinkShare::Allowed(dire), LinkShare::kLeast);
}

// A link gone bad is cut at once and grows back over a second or two; one
// whose reliable bytes pile up beyond a round trip's worth is backlogged
// until they drain, and does not grow meanwhile.
TEST(LinkShareTest, ACutComesAtOnceAndTheShareGrowsBackSlowlyWhileABacklogHoldsIt)
{
    LinkShare share;
    LinkState bad = Clean();
    bad.throttle = 0.15;
    share.Measure(bad, kFull, 16);
    EXPECT_DOUBLE_EQ(share.Part(), 0.4);

    int ms = 0;
    for (; share.Part() < 1.0 && ms < 5000; ms += 16)
        share.Measure(Clean(), kFull, 16);
    EXPECT_GT(ms, 800) << "not at once";
    EXPECT_LT(ms, 2000);

    LinkState piled = Clean();
    piled.reliableQueued = static_cast<std::size_t>(LinkShare::BacklogAbove(piled.roundTripMs, kFull)) + 1;
    share.Measure(piled, kFull, 16);
    EXPECT_TRUE(share.Backlogged());
    piled.reliableQueued /= 4;
    share.Measure(piled, kFull, 16);
    EXPECT_FALSE(share.Backlogged()) << "drained";

    share.Measure(bad, kFull, 16);
    piled.reliableQueued = static_cast<std::size_t>(LinkShare::BacklogAbove(piled.roundTripMs, kFull * 0.4)) + 1;
    for (int tick = 0; tick < 60; ++tick)
        share.Measure(piled, kFull, 16);
    EXPECT_TRUE(share.Backlogged()) << "the threshold follows the smaller share";
    EXPECT_DOUBLE_EQ(share.Part(), 0.4) << "no growth while backlogged";
}

} // namespace
