#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "server/game/Player.h"
#include "server/game/RobotMatch.h"
#include "server/game/RobotSkill.h"
#include "server/game/RobotTrial.h"
#include "world/Ship.h"
#include "world/ShipControls.h"

namespace {

struct Person {
    explicit Person(int id)
    {
        ship.SetId(id);
        ship.ForceRespawn(0.0f, 0.0f);
    }
    Ship ship;
    Player player {0, &ship};
};

TEST(RobotMatch, RobotsEaseOffAPersonWhoKeepsDyingAndPressOneWhoKeepsWinning)
{
    Person loser(1), winner(2), robot(7);
    RobotMatch match;
    const auto watch = [&] { match.Watch({&loser.player, &winner.player}); };
    watch();
    EXPECT_EQ(match.LevelAgainst(1), 0.0) << "a newcomer's at first";
    for (int fight = 0; fight < 5; ++fight) {
        match.Killed(loser.player, &winner.player, DeathCause::Weapon);
        watch();
    }
    EXPECT_EQ(std::pair(match.LevelAgainst(1), match.LevelAgainst(2)), std::pair(0.0, 3.0));
    EXPECT_EQ(match.LevelAgainst(7), kDefaultRobotSkill) << "a robot, or nobody";
    match.Killed(robot.player, &loser.player, DeathCause::Weapon);
    EXPECT_GT(match.LevelAgainst(1), 0.0) << "a kill of a robot counts for the person";
    EXPECT_EQ(match.LevelAgainst(7), kDefaultRobotSkill) << "and nothing for the robot";

    match.Watch({&winner.player});
    EXPECT_EQ(match.LevelAgainst(1), kDefaultRobotSkill) << "who left is forgotten";
}

// In capture the flag a capture scores three and a return one, and a side
// changed costs a life: none of them is a kill or a death.
TEST(RobotMatch, OnlyKillsAndDeathsCountNotScoresOrSidesChanged)
{
    Person person(1), robot(7);
    RobotMatch match;
    match.Watch({&person.player});
    for (int kill = 0; kill < 2; ++kill)
        match.Killed(robot.player, &person.player, DeathCause::Weapon);
    const double level = match.LevelAgainst(1);
    person.ship.SetScore(4);
    person.ship.Kill();
    match.Killed(person.player, nullptr, DeathCause::Switched);
    match.Watch({&person.player});
    EXPECT_EQ(match.LevelAgainst(1), level);

    match.Killed(person.player, &person.player, DeathCause::OwnWeapon);
    EXPECT_LT(match.LevelAgainst(1), level) << "one's own shot is a death, and no kill";
}

// Who just joined is met at a newcomer's level, left alone while it finds
// its feet after each coming back, then hunted by one robot at a time; each
// level its kills earn lets one more robot hunt it, and from the default
// level up as many as like.
TEST(RobotMatch, ANewcomerIsMetGentlyUntilItsKillsShowOtherwise)
{
    constexpr int kAny = std::numeric_limits<int>::max();
    const struct {
        int kills; // in a row, then
        int deaths;
        double lowest;
        double highest;
        int hunters;
    } cases[] = {
        {0, 0, 0.0, 0.0, 1}, {1, 0, 1.0, 1.5, 2}, {2, 1, 1.0, 1.5, 2}, {3, 0, 2.0, 2.5, kAny},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.kills) + " kills, then " + std::to_string(c.deaths) + " deaths");
        Person person(1), robot(7);
        RobotMatch match;
        match.Watch({&person.player});
        for (int kill = 0; kill < c.kills; ++kill)
            match.Killed(robot.player, &person.player, DeathCause::Weapon);
        for (int death = 0; death < c.deaths; ++death)
            match.Killed(person.player, &robot.player, DeathCause::Weapon);
        EXPECT_GE(match.LevelAgainst(1), c.lowest);
        EXPECT_LE(match.LevelAgainst(1), c.highest);
        const int finding = c.lowest < 1.0 ? 0 : c.hunters;
        EXPECT_EQ(match.HuntersAllowed(1), finding) << "just come back";
        match.Watch({&person.player}, 2 * ShipControls::kSpawnShieldMs);
        EXPECT_EQ(match.HuntersAllowed(1), c.hunters) << "found its feet";
        person.ship.Kill();
        match.Watch({&person.player}, 2 * ShipControls::kSpawnShieldMs);
        person.ship.ForceRespawn(0.0f, 0.0f);
        EXPECT_EQ(match.HuntersAllowed(1), finding) << "came back again";
        EXPECT_EQ(match.HuntersAllowed(7), kAny) << "robots hunt a robot as they like";
    }
}

// Scripted people of two strengths, each five simulated minutes among
// seven robots, four games each on Arena and Warren: a weak one, halfway
// from a newcomer's play to a beginner's, who also lives a while before
// its first death, and a veteran.
TEST(RobotMatch, AWeakPersonScoresAndAStrongOneIsStillChallenged)
{
    const auto play = [](double level) {
        RobotTrial::Figures sum;
        sum.firstDeathSeconds = 0.0; // the average of the games'
        for (unsigned seed = 1; seed <= 4; ++seed) {
            RobotTrial trial(QR_DATA_DIR, seed % 2 ? "Arena" : "Warren", 8, kMatchedRobotSkill, seed);
            trial.SeatPerson("Person", level);
            std::string error;
            EXPECT_TRUE(trial.Run(5.0, error)) << error;
            for (const RobotTrial::Figures& figures : trial.Results()) {
                if (figures.name != "Person")
                    continue;
                sum.kills += figures.kills;
                sum.deaths += figures.deaths;
                sum.firstDeathSeconds += figures.firstDeathSeconds / 4.0;
            }
        }
        std::printf("a person at %.1f: %d kills, %d deaths, first death after %.1f s on average\n", level, sum.kills,
                    sum.deaths, sum.firstDeathSeconds);
        return sum;
    };
    const RobotTrial::Figures weak = play(0.5);
    const RobotTrial::Figures strong = play(3.0);
    EXPECT_GE(weak.kills * 3, weak.deaths) << "a kill for every three deaths";
    EXPECT_GE(weak.firstDeathSeconds, 12.0) << "a newcomer's first minute is not spent respawning";
    EXPECT_GE(strong.deaths * 2, strong.kills) << "still challenged";
}

} // namespace
