#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/RoundNews.h"
#include "world/DeathCause.h"

namespace {

RoundNews DeadPilot(std::uint32_t at = 1000)
{
    RoundNews news;
    news.OwnShipKilled(at, 5000);
    return news;
}

std::uint8_t Cause(DeathCause cause)
{
    return static_cast<std::uint8_t>(cause);
}

// Each way the server says the own ship died, and what the line then says.
TEST(RoundNews, EachCauseOfDeathNamesWhatKilledTheOwnShip)
{
    const struct {
        DeathCause cause;
        std::string killer;
        std::string line;
    } cases[] = {
        {DeathCause::Weapon, "Robot Ace", "Killed by Robot Ace - back in 5"},
        {DeathCause::Rammed, "Bob", "Killed by Bob - back in 5"},
        {DeathCause::Weapon, "A turret", "Killed by A turret - back in 5"},
        {DeathCause::Turret, "", "Killed by a gun - back in 5"},
        {DeathCause::OwnWeapon, "", "Killed by your own shot - back in 5"},
        {DeathCause::Crashed, "", "Killed by the wall - back in 5"},
        {DeathCause::Collision, "", "Killed in a collision - back in 5"},
        {DeathCause::Weapon, "", "Killed - back in 5"},
        {DeathCause::Switched, "", "Changed sides - back in 5"},
        // Cut as the scoreboard cuts names.
        {DeathCause::Weapon, std::string(127, 'x'), "Killed by xxxxxxxxxxxxx - back in 5"},
    };
    for (const auto& [cause, killer, line] : cases) {
        RoundNews news = DeadPilot();
        news.KilledBy(Cause(cause), killer);
        EXPECT_EQ(news.DeathLine(1000), line) << killer;
    }
    RoundNews unknown = DeadPilot();
    unknown.KilledBy(200, "Bob");
    EXPECT_EQ(unknown.DeathLine(1000), "Killed - back in 5") << "a cause this program does not know";
    RoundNews alive;
    alive.KilledBy(Cause(DeathCause::Weapon), "Bob");
    EXPECT_EQ(alive.DeathLine(1000), "") << "no death, no line";
}

TEST(RoundNews, TheCountdownGoesByWholeSecondsAndEndsWithTheSpawn)
{
    RoundNews news = DeadPilot(1000);
    news.KilledBy(Cause(DeathCause::Weapon), "Bob");
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
