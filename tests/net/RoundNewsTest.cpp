#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/RoundNews.h"

namespace {

RoundNews DeadPilot(std::uint32_t at = 1000)
{
    RoundNews news;
    news.SetOwnName("Ann");
    news.OwnShipKilled(at, 5000);
    return news;
}

// Each of the server's death notices about the own ship, and what the line
// then says; notices about others leave it as it was.
TEST(RoundNews, EachDeathNoticeNamesWhatKilledTheOwnShip)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Robot Ace destroyed Ann", "Killed by Robot Ace - back in 5"},
        {"A turret destroyed Ann", "Killed by a gun - back in 5"},
        {"Ann destroyed themselves", "Killed by your own shot - back in 5"},
        {"Ann crashed", "Killed by the wall - back in 5"},
        {"Ann was destroyed in a collision", "Killed in a collision - back in 5"},
        {"Ann was destroyed", "Killed - back in 5"},
        {"Bob crashed", "Killed - back in 5"},
        {"Joanna destroyed Joann", "Killed - back in 5"},
        // Cut as the scoreboard cuts names, however long a server's notice.
        {std::string(127, 'x') + " destroyed Ann", "Killed by xxxxxxxxxxxxx - back in 5"},
        {std::string(1009, 'x') + " destroyed Ann", "Killed by xxxxxxxxxxxxx - back in 5"},
    };
    for (const auto& [notice, line] : cases) {
        RoundNews news = DeadPilot();
        news.Heard(notice);
        EXPECT_EQ(news.DeathLine(1000), line) << notice;
    }
    RoundNews alive;
    alive.SetOwnName("Ann");
    alive.Heard("Bob destroyed Ann");
    EXPECT_EQ(alive.DeathLine(1000), "") << "a notice alone is no death";
}

TEST(RoundNews, TheCountdownGoesByWholeSecondsAndEndsWithTheSpawn)
{
    RoundNews news = DeadPilot(1000);
    news.Heard("Bob destroyed Ann");
    std::vector<std::string> lines;
    for (std::uint32_t now : {1000u, 1999u, 2001u, 5001u, 6000u, 9000u})
        lines.push_back(news.DeathLine(now));
    EXPECT_EQ(lines, (std::vector<std::string>{"Killed by Bob - back in 5", "Killed by Bob - back in 5",
                                               "Killed by Bob - back in 4", "Killed by Bob - back in 1",
                                               "Killed by Bob - back in 1", "Killed by Bob - back in 1"}))
        << "never 0: the spawn is on its way";
    news.OwnShipSpawned();
    EXPECT_EQ(news.DeathLine(6000), "");
    news.OwnShipKilled(7000, 5000);
    EXPECT_EQ(news.DeathLine(7000), "Killed - back in 5") << "the last killer is forgotten";
    news.NewRound();
    EXPECT_EQ(news.DeathLine(7000), "");
}

TEST(RoundNews, TheClockCountsDownFromWhatTheServerSaid)
{
    RoundNews news;
    EXPECT_EQ(news.ClockLine(0), "") << "nothing heard yet";
    news.Clock(271000, 10, 500);
    EXPECT_EQ(news.ClockLine(500), "4:31 left, first to 10");
    EXPECT_EQ(news.ClockLine(500 + 211500), "1:00 left, first to 10") << "59.5 s show as a whole minute";
    EXPECT_EQ(news.ClockLine(500 + 271000 + 9000), "0:00 left, first to 10");
    news.Clock(-1, 126, 0);
    EXPECT_EQ(news.ClockLine(99999), "First to 126");
    news.Clock(2147483647, 5, 0);
    EXPECT_EQ(news.ClockLine(0), "1440:00 left, first to 5") << "a day at most, whatever a server says";
    news.NewRound();
    EXPECT_EQ(news.ClockLine(0), "");
}

} // namespace
