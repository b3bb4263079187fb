#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "server/game/CaptureTheFlag.h"
#include "server/game/FlagNews.h"
#include "server/game/Robot.h"
#include "server/game/RobotTrial.h"
#include "server/game/SimulationFixture.h"

namespace {

using News = RecordingListener::FlagNews;

SimulationSettings Flags(int scoreLimit = 10)
{
    return {.scoreLimit = scoreLimit, .dropPowerups = false, .seed = 7, .mode = "ctf"};
}

// Open space, Red's base at cell (5, 10) and Blue's at (20, 10).
std::vector<std::string> Field()
{
    std::vector<std::string> rows = OpenMap(30);
    rows[10][5] = 'R';
    rows[10][20] = 'B';
    return rows;
}

// Bases cells apart in the open, farther round the torus.
std::vector<std::string> Apart(int cells)
{
    std::vector<std::string> rows = OpenMap(2 * cells + 10);
    rows[10][5] = 'R';
    rows[10][static_cast<std::size_t>(5 + cells)] = 'B';
    return rows;
}

class CaptureTheFlagTest : public SimulationTest {
protected:
    void SetUp() override
    {
        Play(Field(), Flags(2));
        red = &Pilot("Red", Centre(5), Centre(20));
        blue = &Pilot("Blue", Centre(20), Centre(20));
        ASSERT_EQ(std::tuple(red->GetTeam(), blue->GetTeam()), std::tuple(Team::Red, Team::Blue));
        events.flags.clear();
    }

    const Flag& FlagOf(Team team) const { return simulation->Mode().Flags()[team == Team::Red ? 0 : 1]; }

    // Flown there and left a tick to touch what is there.
    void Visit(Player& player, double x, double y)
    {
        Place(player, x, y);
        Run(10);
    }

    Player* red = nullptr;
    Player* blue = nullptr;
};

} // namespace

// The flags stand at the marked bases. An enemy takes one by touching it,
// carries it, and drops it where it dies; a teammate's touch sends it home
// at once, and scores the teammate.
TEST_F(CaptureTheFlagTest, AFlagIsTakenByAnEnemyDroppedWhereItsCarrierDiesAndReturnedByATeammate)
{
    ASSERT_EQ(simulation->Mode().Flags().size(), 2u);
    EXPECT_EQ(std::pair(At(FlagOf(Team::Red).home), At(FlagOf(Team::Blue).home)),
              std::pair(std::pair(Centre(5), Centre(10)), std::pair(Centre(20), Centre(10))));
    Visit(*red, Centre(5), Centre(10));
    EXPECT_TRUE(events.flags.empty()) << "its own team does not take it from home";
    Visit(*blue, Centre(5) + 20, Centre(10));
    EXPECT_EQ(events.flags, (std::vector<News>{{FlagEvent::Taken, Team::Red, blue->ShipId()}}));
    EXPECT_EQ(std::tuple(FlagOf(Team::Red).place, FlagOf(Team::Red).carrier),
              std::tuple(FlagPlace::Carried, blue->ShipId()));

    Place(*red, Centre(5), Centre(25));
    Visit(*blue, Centre(12), Centre(4));
    EXPECT_EQ(At(FlagOf(Team::Red).at), std::pair(Centre(12), Centre(4))) << "it goes with its carrier";
    blue->GetShip().Kill();
    Run(10);
    EXPECT_EQ(events.flags.back(), (News{FlagEvent::Dropped, Team::Red, blue->ShipId()}));
    EXPECT_EQ(std::tuple(FlagOf(Team::Red).place, At(FlagOf(Team::Red).at)),
              std::tuple(FlagPlace::Dropped, std::pair(Centre(12), Centre(4))));
    EXPECT_EQ(simulation->Mode().ReturnsIn(Team::Red), CaptureTheFlag::kReturnMs);

    Visit(*red, Centre(12) + 30, Centre(4));
    EXPECT_EQ(events.flags.back(), (News{FlagEvent::Returned, Team::Red, red->ShipId()}));
    EXPECT_EQ(std::tuple(FlagOf(Team::Red).place, At(FlagOf(Team::Red).at)),
              std::tuple(FlagPlace::Home, std::pair(Centre(5), Centre(10))));
    EXPECT_EQ(red->GetShip().GetScore(), CaptureTheFlag::kReturnPoints);
    EXPECT_EQ(simulation->Mode().TeamScore(Team::Red), 0) << "a return is no capture";
}

// Left alone, a dropped flag goes home after its time; before that an
// enemy may take it up again. A carrier that leaves drops it too.
TEST_F(CaptureTheFlagTest, ADroppedFlagGoesHomeByItselfAfterItsTimeOrIsTakenUpAgain)
{
    Visit(*blue, Centre(5), Centre(10));
    Visit(*blue, Centre(12), Centre(4));
    simulation->RemovePlayer(blue);
    Run(10);
    ASSERT_EQ(FlagOf(Team::Red).place, FlagPlace::Dropped) << "it fell where its carrier left";
    EXPECT_EQ(At(FlagOf(Team::Red).at), std::pair(Centre(12), Centre(4)));
    Run(CaptureTheFlag::kReturnMs - 100);
    EXPECT_EQ(FlagOf(Team::Red).place, FlagPlace::Dropped);
    Run(100);
    EXPECT_EQ(FlagOf(Team::Red).place, FlagPlace::Home);
    EXPECT_EQ(events.flags.back(), (News{FlagEvent::Returned, Team::Red, 0}));

    Player& other = Pilot("Other", Centre(5), Centre(10));
    ASSERT_EQ(other.GetTeam(), Team::Blue);
    Run(10);
    Visit(other, Centre(12), Centre(4));
    other.GetShip().Kill();
    Run(10);
    ASSERT_EQ(FlagOf(Team::Red).place, FlagPlace::Dropped);
    Pilot("Third", Centre(25), Centre(25));
    Player& again = Pilot("Again", Centre(12), Centre(4));
    ASSERT_EQ(again.GetTeam(), Team::Blue);
    Run(10);
    EXPECT_EQ(std::tuple(FlagOf(Team::Red).place, FlagOf(Team::Red).carrier),
              std::tuple(FlagPlace::Carried, again.ShipId()));
}

// A capture needs one's own flag at home: the carrier waits at its base
// while the other side holds its flag, and scores the moment it is back.
TEST_F(CaptureTheFlagTest, ACaptureScoresOnlyWhileTheCarriersOwnFlagIsHome)
{
    Visit(*blue, Centre(5), Centre(10));
    Visit(*red, Centre(20), Centre(10));
    Visit(*red, Centre(20), Centre(25));
    Visit(*blue, Centre(20), Centre(10));
    EXPECT_EQ(simulation->Mode().TeamScore(Team::Blue), 0) << "Blue's own flag is away";
    EXPECT_EQ(FlagOf(Team::Red).place, FlagPlace::Carried);

    red->GetShip().Kill();
    Run(10);
    ASSERT_EQ(FlagOf(Team::Blue).place, FlagPlace::Dropped);
    Place(*blue, Centre(20), Centre(25));
    Visit(*blue, Centre(20), Centre(25) + 10); // touches its own dropped flag: home at once
    ASSERT_EQ(FlagOf(Team::Blue).place, FlagPlace::Home);
    const int before = blue->GetShip().GetScore();
    Visit(*blue, Centre(20), Centre(10));
    EXPECT_EQ(events.flags.back(), (News{FlagEvent::Captured, Team::Red, blue->ShipId()}));
    EXPECT_EQ(blue->GetShip().GetScore() - before, CaptureTheFlag::kCapturePoints);
    EXPECT_EQ(std::tuple(simulation->Mode().TeamScore(Team::Blue), simulation->Mode().TeamScore(Team::Red)),
              std::tuple(1, 0));
    EXPECT_EQ(events.teamScores.back(), std::pair(0, 1));
    EXPECT_EQ(FlagOf(Team::Red).place, FlagPlace::Home) << "a captured flag goes home";
    EXPECT_FALSE(simulation->IsRoundOver());

    // The second capture reaches the limit of 2.
    Visit(*blue, Centre(5), Centre(10));
    Visit(*blue, Centre(20), Centre(10));
    EXPECT_TRUE(simulation->IsRoundOver());
    EXPECT_EQ(simulation->Mode().WinningTeam(), Team::Blue);
}

// A ship comes back on its own side of the map, clear of the enemy's flag.
TEST_F(CaptureTheFlagTest, ShipsComeBackOnTheirOwnSide)
{
    red->GetShip().Kill();
    blue->GetShip().Kill();
    Run(6000);
    for (Player* pilot : {red, blue}) {
        ASSERT_TRUE(pilot->GetShip().IsAlive());
        const Vector3& at = pilot->GetShip().Position();
        const double own = simulation->Shape().Offset(at, FlagOf(pilot->GetTeam()).home).Length();
        const double enemy = simulation->Shape().Offset(at, FlagOf(OtherTeam(pilot->GetTeam())).home).Length();
        EXPECT_LT(own, enemy) << pilot->Name();
        EXPECT_GT(enemy, CaptureTheFlag::kSpawnClearance) << pilot->Name();
    }
}

// Without marked bases the flags go to two open places far apart, the same
// for the same seed.
TEST_F(SimulationTest, WithoutBasesFlagsStandFarApartInOpenPlacesTheSameForTheSameSeed)
{
    std::vector<std::string> rows = OpenMap(24);
    for (int r = 0; r < 24; ++r)
        rows[static_cast<std::size_t>(r)][12] = r == 3 ? '.' : '#'; // one gap in a wall down the middle
    std::vector<std::pair<double, double>> first;
    for (int run = 0; run < 2; ++run) {
        Play(rows, Flags());
        const auto flags = simulation->Mode().Flags();
        ASSERT_EQ(flags.size(), 2u);
        std::vector<std::pair<double, double>> homes {At(flags[0].home), At(flags[1].home)};
        if (run == 0)
            first = homes;
        EXPECT_EQ(homes, first);
        for (const auto& [x, y] : homes) {
            const Navigator::Cell cell = simulation->Shape().CellOf(Vector3(x, y, 0.0));
            for (int dc = -1; dc <= 1; ++dc) {
                for (int dr = -1; dr <= 1; ++dr)
                    EXPECT_FALSE(simulation->Shape().Blocked(cell.column + dc, cell.row + dr)) << x << "," << y;
            }
        }
        const Vector3 apart = simulation->Shape().Offset(flags[0].home, flags[1].home);
        EXPECT_GT(apart.Length(), 8 * 32.0);
    }
    // Everyone against everyone has no flags.
    Play(rows);
    EXPECT_TRUE(simulation->Mode().Flags().empty());
}

namespace {

// A robot of Red's among pilots a test places, thinking every tick.
class FlagRobotTest : public CaptureTheFlagTest {
protected:
    void Fly(Player& pilot, int ms, const std::function<bool()>& done)
    {
        for (int t = 0; t < ms && !done(); t += 16) {
            pilot.Hold(robot.Think(*simulation, pilot, 16));
            simulation->Step(16);
        }
    }

    Robot robot {RobotSkill::At(kDefaultRobotSkill), 3};
};

} // namespace

// Sent for the enemy's flag, the robot takes it and carries it home round
// the wall between the bases; that its own flag is home makes it a capture.
TEST_F(FlagRobotTest, ARobotFetchesTheEnemysFlagAndCapturesIt)
{
    std::vector<std::string> rows = Field();
    for (int r = 4; r <= 16; ++r)
        rows[static_cast<std::size_t>(r)][12] = '#';
    Play(rows, Flags(1));
    Player& self = Pilot("Robot", Centre(5), Centre(12));
    Pilot("Idle", Centre(28), Centre(28));
    Fly(self, 60000, [&] { return simulation->IsRoundOver(); });
    EXPECT_EQ(simulation->Mode().TeamScore(Team::Red), 1);
    const std::vector<News> wanted {{FlagEvent::Taken, Team::Blue, self.ShipId()},
                                    {FlagEvent::Captured, Team::Blue, self.ShipId()}};
    EXPECT_EQ(std::vector<News>(events.flags.begin() + 2, events.flags.end()), wanted);
}

// Its own flag carried off, the robot hunts the carrier; dropped, it
// brings it back.
TEST_F(FlagRobotTest, ARobotChasesTheCarrierOfItsFlagAndReturnsItWhenDropped)
{
    Place(*blue, Centre(5), Centre(10));
    Run(10);
    Place(*blue, Centre(5), Centre(26));
    Place(*red, Centre(12), Centre(26));
    Fly(*red, 500, [] { return false; });
    EXPECT_EQ(robot.TargetShip(), blue->ShipId());

    blue->GetShip().Kill();
    Fly(*red, 20000, [&] { return FlagOf(Team::Red).place == FlagPlace::Home; });
    EXPECT_EQ(events.flags.back(), (News{FlagEvent::Returned, Team::Red, red->ShipId()}));
}

// Eight robots on a shipped map score captures within two minutes.
TEST(RobotFlagTrial, RobotsCaptureFlagsInASeededTrial)
{
    RobotTrial trial(QR_DATA_DIR, "Arena", 8, kDefaultRobotSkill, 7, "ctf");
    std::string error;
    ASSERT_TRUE(trial.Run(2.0, error)) << error;
    EXPECT_GE(trial.Mode().TeamScore(Team::Red) + trial.Mode().TeamScore(Team::Blue), 1);
}

// With a teammate carrying the enemy's flag, the robot keeps by it; with
// its own flag carried off too, it goes after that carrier however far,
// since neither side can score until one flag is home.
TEST_F(FlagRobotTest, ARobotEscortsItsCarrierAndBreaksAStandoff)
{
    std::vector<std::string> rows = OpenMap(60);
    rows[10][5] = 'R';
    rows[10][40] = 'B';
    Play(rows, Flags(5));
    Player& self = Pilot("Robot", Centre(5), Centre(40));
    Player& enemy = Pilot("Enemy", Centre(40), Centre(40));
    Player& mate = Pilot("Mate", Centre(40), Centre(10));
    ASSERT_EQ(mate.GetTeam(), self.GetTeam());
    Run(10);
    Place(mate, Centre(25), Centre(25));
    const auto apart = [&] { return simulation->Shape().Offset(self.GetShip().Position(), mate.GetShip().Position()); };
    const double before = apart().Length();
    Fly(self, 4000, [&] {
        Place(mate, Centre(25), Centre(25));
        return false;
    });
    EXPECT_LT(apart().Length(), before / 2.0) << "it flies to the carrier's side";

    Place(enemy, Centre(5), Centre(10));
    Run(10);
    Place(enemy, Centre(45), Centre(45));
    Place(self, Centre(5), Centre(30));
    ASSERT_EQ(FlagOf(Team::Red).place, FlagPlace::Carried);
    Fly(self, 500, [] { return false; });
    EXPECT_EQ(robot.TargetShip(), enemy.ShipId());
}

// A scramble over a flag reads as one line; captures and returns always
// show, and each flag keeps its own pace.
TEST(FlagNews, TakesAndDropsArePacedPerFlagCapturesAndReturnsAlwaysShow)
{
    using Lines = std::vector<FlagNews::Line>;
    const int quiet = FlagNews::kQuietMs;
    FlagNews news;
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, 0), (Lines{{FlagEvent::Taken, 1}}));
    EXPECT_EQ(news.Happened(FlagEvent::Dropped, Team::Red, 1000), Lines{});
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, 2000), Lines{});
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Blue, 2000), (Lines{{FlagEvent::Taken, 1}}));
    EXPECT_EQ(news.Happened(FlagEvent::Dropped, Team::Red, quiet), (Lines{{FlagEvent::Dropped, 3}}))
        << "what was held back comes with it";
    EXPECT_EQ(news.Happened(FlagEvent::Returned, Team::Red, quiet + 100), (Lines{{FlagEvent::Returned, 1}}));
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, quiet + 200), (Lines{{FlagEvent::Taken, 1}}))
        << "home again, its take is news";
    EXPECT_EQ(news.Happened(FlagEvent::Captured, Team::Red, quiet + 300), (Lines{{FlagEvent::Captured, 1}}));

    // A run's takes and drops, and where it leaves the flag.
    const struct {
        FlagNews::Line line;
        int takes;
        int drops;
        FlagEvent last;
    } runs[] = {{{FlagEvent::Taken, 1}, 1, 0, FlagEvent::Taken},
                {{FlagEvent::Dropped, 3}, 1, 2, FlagEvent::Dropped},
                {{FlagEvent::Taken, 4}, 2, 2, FlagEvent::Dropped},
                {{FlagEvent::Dropped, 4}, 2, 2, FlagEvent::Taken},
                {{FlagEvent::Taken, 5}, 3, 2, FlagEvent::Taken}};
    for (const auto& run : runs) {
        EXPECT_EQ(std::tuple(run.line.Takes(), run.line.Drops(), run.line.Last()),
                  std::tuple(run.takes, run.drops, run.last))
            << run.line.events;
    }
}

// The bases joined only by a passage two cells wide that turns twice: the
// robot flies it both ways without braking to a halt or touching a wall,
// and scores.
TEST_F(FlagRobotTest, ARobotCarriesAFlagDownANarrowWindingPassage)
{
    std::vector<std::string> rows(16, std::string(32, '#'));
    const auto carve = [&](int left, int top, int right, int bottom) {
        for (int r = top; r <= bottom; ++r)
            rows[static_cast<std::size_t>(r)].replace(static_cast<std::size_t>(left),
                                                      static_cast<std::size_t>(right - left + 1),
                                                      static_cast<std::size_t>(right - left + 1), '.');
    };
    carve(2, 2, 5, 5);     // Red's room
    carve(2, 4, 20, 5);    // along
    carve(19, 4, 20, 12);  // down
    carve(19, 11, 29, 12); // along again
    carve(26, 9, 29, 13);  // Blue's room
    carve(3, 12, 5, 13);   // a closed pocket for the idle enemy
    rows[3][3] = 'R';
    rows[10][28] = 'B';
    Play(rows, Flags(1));
    Player& self = Pilot("Robot", Centre(4), Centre(3));
    Pilot("Idle", Centre(4), Centre(12));
    int ms = 0;
    Fly(self, 60000, [&] {
        ms += 16;
        return simulation->IsRoundOver();
    });
    EXPECT_EQ(simulation->Mode().TeamScore(Team::Red), 1);
    EXPECT_LT(ms, 22000) << "braking in the passage for its walls alongside";
    EXPECT_TRUE(events.kills.empty());
}

// A map of corridors one cell wide has no room for flags: the round says so
// once, and plays as team deathmatch, to its limit, or no side could ever
// score. With flags, bases a short flight apart play to more captures than
// far ones, a limit named to it; each mode has its own limit unless one is
// named. The limit goes out as the round starts.
TEST_F(SimulationTest, WithoutRoomForFlagsTheRoundSaysSoAndPlaysAsTeamDeathmatch)
{
    std::vector<std::string> rows(20, std::string(20, '#'));
    rows[9] = std::string(20, '.');
    const struct {
        const char* mode;
        std::vector<std::string> map;
        int named;
        int noRoom;
        int limit;
    } rounds[] = {{"ctf", Field(), 0, 0, 30}, {"ctf", Field(), 12, 0, 12}, {"ctf", Apart(30), 0, 0, 20},
                  {"ctf", Apart(70), 0, 0, 10}, {"tdm", OpenMap(20), 0, 0, 50}, {"tdm", OpenMap(20), 7, 0, 7},
                  {"dm", OpenMap(20), 0, 0, 10}, {"ctf", rows, 0, 1, 50}, {"ctf", rows, 7, 1, 7}};
    for (const auto& round : rounds) {
        SCOPED_TRACE(std::string(round.mode) + ", named " + std::to_string(round.named));
        SimulationSettings settings = Flags(round.named);
        settings.mode = round.mode;
        Play(round.map, settings);
        EXPECT_EQ(events.noRoomForFlags, round.noRoom);
        EXPECT_EQ(events.title.ends_with(", played as team deathmatch"), round.noRoom == 1) << events.title;
        EXPECT_EQ(std::tuple(simulation->ScoreLimit(), events.scoreLimit), std::tuple(round.limit, round.limit));
    }
    EXPECT_TRUE(simulation->Mode().Flags().empty());
    Player& shooter = Pilot("Shooter");
    Player& enemy = Pilot("Enemy");
    ASSERT_EQ(std::tuple(shooter.GetTeam(), enemy.GetTeam()), std::tuple(Team::Red, Team::Blue));
    Place(shooter, 100, Centre(9), 270.0f); // heading 270 is +x, down the corridor
    Place(enemy, 300, Centre(9));
    Hold(shooter, {kKeyFire});
    for (int t = 0; t < 1000 && enemy.GetShip().IsAlive(); t += 10)
        simulation->Step(10);
    ASSERT_FALSE(enemy.GetShip().IsAlive());
    EXPECT_EQ(std::tuple(simulation->Mode().TeamScore(Team::Red), simulation->Mode().TeamScore(Team::Blue)),
              std::tuple(1, 0));
}

// Carrying the enemy's flag with nobody of its side about, the robot goes
// after the carrier of its own rather than wait at home for ever, and
// brings its flag back once dropped.
TEST_F(FlagRobotTest, ACarrierAloneGoesForItsOwnFlagRatherThanWaitAtHome)
{
    Player& self = *red;
    Visit(self, Centre(20), Centre(10));
    Visit(*blue, Centre(5), Centre(10));
    ASSERT_EQ(std::tuple(FlagOf(Team::Blue).carrier, FlagOf(Team::Red).carrier),
              std::tuple(self.ShipId(), blue->ShipId()));
    Place(self, Centre(12), Centre(20));
    Place(*blue, Centre(12), Centre(27));
    Fly(self, 500, [] { return false; });
    EXPECT_EQ(robot.TargetShip(), blue->ShipId());

    blue->GetShip().Kill();
    Place(self, Centre(20), Centre(20));
    Fly(self, 20000, [&] { return FlagOf(Team::Red).place == FlagPlace::Home; });
    EXPECT_EQ(events.flags.back(), (News{FlagEvent::Returned, Team::Red, self.ShipId()}));
    EXPECT_EQ(FlagOf(Team::Blue).carrier, self.ShipId());
}

// Nothing held back is lost: a take and a drop after a drop was shown
// (leaving the flag dropped, as last told) are due as one line once the
// quiet time is over; a take held back comes before a capture; and what is
// held as the round ends is there to tell at once.
TEST(FlagNews, WhatIsHeldBackIsToldLaterNeverLost)
{
    using Lines = std::vector<FlagNews::Line>;
    const int quiet = FlagNews::kQuietMs;
    FlagNews news;
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, 0).size(), 1u);
    EXPECT_EQ(news.Happened(FlagEvent::Dropped, Team::Red, quiet).size(), 1u);
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, quiet + 500), Lines{});
    EXPECT_EQ(news.Happened(FlagEvent::Dropped, Team::Red, quiet + 1000), Lines{});
    EXPECT_EQ(news.Due(Team::Red, 2 * quiet - 1), std::nullopt);
    EXPECT_EQ(news.Due(Team::Blue, 2 * quiet), std::nullopt);
    EXPECT_EQ(news.Due(Team::Red, 2 * quiet), (FlagNews::Line{FlagEvent::Taken, 2}));
    EXPECT_EQ(news.Due(Team::Red, 4 * quiet), std::nullopt) << "once";

    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, 4 * quiet).size(), 1u);
    EXPECT_EQ(news.Happened(FlagEvent::Dropped, Team::Red, 4 * quiet + 100), Lines{});
    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, 4 * quiet + 200), Lines{});
    EXPECT_EQ(news.Happened(FlagEvent::Captured, Team::Red, 4 * quiet + 300),
              (Lines{{FlagEvent::Dropped, 2}, {FlagEvent::Captured, 1}}));
    EXPECT_EQ(news.Due(Team::Red, 6 * quiet), std::nullopt);

    EXPECT_EQ(news.Happened(FlagEvent::Taken, Team::Red, 6 * quiet).size(), 1u);
    EXPECT_EQ(news.Happened(FlagEvent::Dropped, Team::Red, 6 * quiet + 100), Lines{});
    EXPECT_EQ(news.Flush(Team::Red), (FlagNews::Line{FlagEvent::Dropped, 1}));
    EXPECT_EQ(news.Flush(Team::Red), std::nullopt);
    EXPECT_EQ(news.Due(Team::Red, 8 * quiet), std::nullopt);
}

// A map file's bases stand only on open cells a flight joins; otherwise the
// flags go where the search puts them, and the log says so once.
TEST_F(SimulationTest, MarkedBasesAShipCannotReachAreRefusedForOpenPlaces)
{
    std::vector<std::string> walled = Field();
    walled[10][5] = 'r';
    std::vector<std::string> sealed = Field();
    for (int r = 8; r <= 12; ++r) {
        for (int c = 3; c <= 7; ++c) {
            if (r == 8 || r == 12 || c == 3 || c == 7)
                sealed[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = '#';
        }
    }
    const struct {
        const char* what;
        std::vector<std::string> map;
        int refused;
    } maps[] = {{"open", Field(), 0}, {"Red's in a wall", walled, 1}, {"Red's walled in", sealed, 1}};
    for (const auto& m : maps) {
        Play(m.map, Flags());
        EXPECT_EQ(events.basesRefused, m.refused) << m.what;
        const auto flags = simulation->Mode().Flags();
        ASSERT_EQ(flags.size(), 2u) << m.what;
        const bool marked = At(flags[0].home) == std::pair(Centre(5), Centre(10)) &&
                            At(flags[1].home) == std::pair(Centre(20), Centre(10));
        EXPECT_EQ(marked, m.refused == 0) << m.what;
        const auto& shape = simulation->Shape();
        const Navigator::Cell red = shape.CellOf(flags[0].home);
        const Navigator::Cell blue = shape.CellOf(flags[1].home);
        EXPECT_GT(shape.Steps(red)[static_cast<std::size_t>(blue.row * shape.Columns() + blue.column)], 0) << m.what;
    }
}
