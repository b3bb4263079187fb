#include <tuple>

#include "server/game/SimulationFixture.h"
#include "world/GameKey.h"

namespace {

SimulationSettings Teams(bool friendlyFire, int scoreLimit = 10)
{
    SimulationSettings settings = {.scoreLimit = scoreLimit, .dropPowerups = false, .seed = 7, .mode = "tdm"};
    settings.friendlyFire = friendlyFire;
    return settings;
}

} // namespace

// A shot at a teammate passes through unless friendly fire is on, and then
// costs the shooter and the team a point; one at an enemy scores for both.
TEST_F(SimulationTest, InTeamsAShotScoresForTheTeamAndHurtsATeammateOnlyWithFriendlyFire)
{
    const struct {
        bool friendlyFire;
        bool atTeammate;
        bool victimDies;
        int points; // the shooter's and Red's
    } rows[] = {
        {false, true, false, 0},
        {true, true, true, -1},
        {false, false, true, 1},
    };
    for (const auto& row : rows) {
        Play(OpenMap(20), Teams(row.friendlyFire));
        Player& shooter = Pilot("Shooter", 320, 200);
        Player& enemy = Pilot("Enemy", 100, 560);
        Player& mate = Pilot("Mate", 560, 560);
        ASSERT_EQ(std::tuple(shooter.GetTeam(), enemy.GetTeam(), mate.GetTeam()),
                  std::tuple(Team::Red, Team::Blue, Team::Red))
            << "each newcomer to the smaller side";
        Player& victim = row.atTeammate ? mate : enemy;
        Place(victim, 320, 300);
        Hold(shooter, {kKeyFire});
        for (int t = 0; t < 1000 && victim.GetShip().IsAlive(); t += 10)
            simulation->Step(10);
        EXPECT_EQ(!victim.GetShip().IsAlive(), row.victimDies) << row.friendlyFire << row.atTeammate;
        EXPECT_EQ(std::tuple(shooter.GetShip().GetScore(), simulation->Mode().TeamScore(Team::Red),
                             simulation->Mode().TeamScore(Team::Blue)),
                  std::tuple(row.points, row.points, 0));
    }
}

TEST_F(SimulationTest, ATeamGameEndsWhenATeamReachesTheLimitAndItsBestPilotWins)
{
    Play(OpenMap(20), Teams(false, 1));
    Player& shooter = Pilot("Shooter", 320, 200);
    Player& enemy = Pilot("Enemy", 320, 300);
    Hold(shooter, {kKeyFire});
    for (int t = 0; t < 1000 && !simulation->IsRoundOver(); t += 10)
        simulation->Step(10);
    ASSERT_TRUE(simulation->IsRoundOver());
    EXPECT_EQ(simulation->Mode().WinningTeam(), Team::Red);
    EXPECT_EQ(events.winners, (std::vector<int>{shooter.ShipId()}));
    EXPECT_FALSE(enemy.GetShip().IsAlive());

    // A draw at the time limit has no winning side, and so no winner.
    SimulationSettings timed = Teams(false);
    timed.roundMs = 1000;
    Play(OpenMap(20), timed);
    Pilot("Red", 100, 100);
    Pilot("Blue", 500, 500);
    Run(1000);
    ASSERT_TRUE(simulation->IsRoundOver());
    EXPECT_EQ(std::tuple(simulation->Mode().WinningTeam(), events.winners), std::tuple(Team::None, std::vector<int>{0}));
}

// A mode asked for takes effect at the next round: sides dealt evenly to
// everyone there, and taken away again for everyone against everyone.
TEST_F(SimulationTest, SidesAreDealtWhenTeamsBeginAndTakenAwayWhenTheyEnd)
{
    Play({{"One", OpenMap(20)}, {"Two", OpenMap(20)}});
    std::vector<Player*> pilots;
    for (const char* name : {"A", "B", "C", "D", "E"})
        pilots.push_back(&Pilot(name));
    EXPECT_EQ(pilots[0]->GetTeam(), Team::None);
    ASSERT_TRUE(simulation->SetNextMode("tdm"));
    EXPECT_FALSE(simulation->SetNextMode("ctf-or-so"));
    EXPECT_EQ(pilots[0]->GetTeam(), Team::None) << "not before the next round";
    ASSERT_TRUE(simulation->NextMap());
    EXPECT_EQ(std::tuple(GameMode::Members(simulation->Players(), Team::Red),
                         GameMode::Members(simulation->Players(), Team::Blue)),
              std::tuple(3, 2));
    // Changing sides is no escape: a ship in flight goes down, scoring
    // nobody, and a dead one keeps its wait.
    Player& flying = *pilots[0];
    Player& dead = *pilots[1];
    dead.GetShip().Kill();
    Run(1000);
    simulation->SwitchTeam(flying);
    simulation->SwitchTeam(dead);
    EXPECT_EQ(std::tuple(flying.GetTeam(), flying.GetShip().IsAlive(), dead.GetShip().IsAlive()),
              std::tuple(Team::Blue, false, false));
    ASSERT_FALSE(events.kills.empty());
    EXPECT_EQ(events.kills.back(), (RecordingListener::Kill{flying.ShipId(), 0, DeathCause::Switched}));
    EXPECT_EQ(flying.GetShip().GetScore(), 0);
    ASSERT_TRUE(simulation->SetNextMode("dm"));
    ASSERT_TRUE(simulation->NextMap());
    for (const Player* pilot : pilots)
        EXPECT_EQ(pilot->GetTeam(), Team::None);
}
