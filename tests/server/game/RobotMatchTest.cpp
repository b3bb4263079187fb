#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "server/game/Player.h"
#include "server/game/RobotMatch.h"
#include "server/game/RobotSkill.h"
#include "server/game/RobotTrial.h"
#include "world/Ship.h"

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
    Person loser(1), winner(2);
    RobotMatch match;
    const auto watch = [&] { match.Watch({&loser.player, &winner.player}); };
    watch();
    EXPECT_EQ(match.LevelAgainst(1), kDefaultRobotSkill) << "an even record at first";
    for (int fight = 0; fight < 5; ++fight) {
        loser.ship.Kill();
        winner.ship.SetScore(static_cast<signed char>(winner.ship.GetScore() + 1));
        watch();
        loser.ship.ForceRespawn(0.0f, 0.0f);
        watch();
    }
    EXPECT_EQ(match.LevelAgainst(1), 0.0);
    EXPECT_EQ(match.LevelAgainst(2), 3.0);
    EXPECT_EQ(match.LevelAgainst(7), kDefaultRobotSkill) << "a robot, or nobody";

    winner.ship.SetScore(0);
    watch();
    EXPECT_EQ(match.LevelAgainst(2), 3.0) << "a new round's scores are no deaths";
    match.Watch({&winner.player});
    EXPECT_EQ(match.LevelAgainst(1), kDefaultRobotSkill) << "who left is forgotten";
}

// Scripted people of two strengths, each five simulated minutes among
// seven robots: a weak one, halfway from a newcomer's play to a
// beginner's, and a veteran. The figures against robots at a fixed skill
// are printed beside them.
TEST(RobotMatch, AWeakPersonScoresAndAStrongOneIsStillChallenged)
{
    const auto play = [](double level, int skill) {
        RobotTrial trial(QR_DATA_DIR, "Arena", 8, skill, 7);
        trial.SeatPerson("Person", level);
        std::string error;
        EXPECT_TRUE(trial.Run(5.0, error)) << error;
        for (const RobotTrial::Figures& figures : trial.Results()) {
            if (figures.name == "Person") {
                std::printf("person at %.1f against robots %s: %d kills, %d deaths\n", level,
                            skill == kMatchedRobotSkill ? "matching" : "at skill 2", figures.kills, figures.deaths);
                return figures;
            }
        }
        ADD_FAILURE() << "the person has no figures";
        return RobotTrial::Figures {};
    };
    play(0.5, kDefaultRobotSkill);
    play(3.0, kDefaultRobotSkill);
    const RobotTrial::Figures weak = play(0.5, kMatchedRobotSkill);
    const RobotTrial::Figures strong = play(3.0, kMatchedRobotSkill);
    EXPECT_GE(weak.kills * 3, weak.deaths) << "a kill for every three deaths";
    EXPECT_GE(strong.deaths * 2, strong.kills) << "still challenged";
}

} // namespace
