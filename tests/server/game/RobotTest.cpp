#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "server/game/SimulationFixture.h"
#include "server/game/Robot.h"

namespace {

// One robot, and whoever else a test puts beside it, thinking every tick
// as the server has it do.
class RobotTest : public SimulationTest {
protected:
    void Fly(Player& robotPlayer, int ms, const std::function<void()>& eachTick = {})
    {
        for (int t = 0; t < ms; t += kTick) {
            robotPlayer.Hold(robot.Think(*simulation, robotPlayer, kTick));
            if (eachTick)
                eachTick();
            simulation->Step(kTick);
        }
    }

    // A fresh game on the map, and a robot that has seen nothing yet.
    void Begin(const std::vector<std::string>& rows)
    {
        robot = Robot(RobotSkill::At(kDefaultRobotSkill), 3);
        Play(rows);
    }

    static constexpr int kTick = 16;
    Robot robot {RobotSkill::At(kDefaultRobotSkill), 3};
};

TEST_F(RobotTest, HeadingFastForAWallItTurnsAwayInTime)
{
    // A room 24 cells wide whose column 16 is wall from top to bottom.
    std::vector<std::string> room(16, std::string(24, '.'));
    for (std::string& row : room)
        row[16] = '#';
    for (const double speed : {150.0, 300.0, 500.0}) {
        SCOPED_TRACE(speed);
        Begin(room);
        Player& pilot = Pilot("Robot");
        Place(pilot, 6 * 32, 8 * 32, 270.0f, Vector3(speed, 0.0, 0.0)); // heading 270 is +x
        Fly(pilot, 4000, [&] {
            ASSERT_LT(pilot.GetShip().Position().x, 16 * 32 - 10.0) << "it touched the wall";
        });
        EXPECT_TRUE(events.kills.empty());
    }
}

// Too near a wall to brake, it spends what fuel it has on the shield,
// however little: bare, the touch is its end.
TEST_F(RobotTest, TooLateToBrakeItShieldsWithItsLastFuel)
{
    std::vector<std::string> room(16, std::string(24, '.'));
    for (std::string& row : room)
        row[16] = '#';
    for (const float fuel : {100.0f, 6.0f}) {
        SCOPED_TRACE(fuel);
        Begin(room);
        Player& pilot = Pilot("Robot");
        Place(pilot, 16 * 32 - 60.0, 8 * 32, 270.0f, Vector3(350.0, 0.0, 0.0)); // heading 270 is +x
        pilot.GetShip().SetFuel(fuel);
        Fly(pilot, 1000);
        EXPECT_TRUE(events.kills.empty());
    }
}

TEST_F(RobotTest, LowOnFuelBesideABlockItRefuels)
{
    std::vector<std::string> rows(16, std::string(16, '.'));
    rows[8][8] = '$';
    Begin(rows);
    Player& pilot = Pilot("Robot", Centre(10), Centre(8));
    pilot.GetShip().SetFuel(20.0f);
    bool drew = false;
    Fly(pilot, 4000, [&] { drew = drew || pilot.GetShip().HasFlags(kFlagRefuelling); });
    EXPECT_TRUE(drew) << "the fuel link shows while it draws";
    EXPECT_GT(pilot.GetShip().GetFuel(), 80.0f);
}

TEST_F(RobotTest, ItFiresAtAVisibleOpponentAheadButCannotSeeACloakedOne)
{
    for (const bool cloaked : {false, true}) {
        Begin(OpenMap(24));
        Player& pilot = Pilot("Robot", 12 * 32, 6 * 32); // heading 0 is +y, towards the target
        Player& other = Pilot("Target", 12 * 32, 14 * 32);
        other.GetShip().SetFuel(100.0f);
        if (cloaked)
            other.GetShip().AddFlags(kFlagCloakDevice | kFlagCloaked);
        int elapsed = 0, firstShot = 0;
        Fly(pilot, 5000, [&] {
            if (cloaked)
                Hold(other, {kKeyCloak});
            other.GetShip().SetFuel(100.0f);
            elapsed += kTick;
            if (!firstShot && !events.Appeared(kTypeBullet).empty())
                firstShot = elapsed;
        });
        EXPECT_EQ(events.Appeared(kTypeBullet).empty(), cloaked)
            << (cloaked ? "a cloaked ship is not seen" : "an opponent in front is fired at");
        if (!cloaked) {
            EXPECT_GT(firstShot, 2500) << "a ship that has just come back is left alone a while after its shield";
        }
    }
}

// A ship others hunt enough is passed over for the next nearest; with none
// to pass over, the nearest is hunted.
TEST_F(RobotTest, ItHuntsTheNearestOpponentItIsNotToLeaveAlone)
{
    for (const bool spareNear : {false, true}) {
        Begin(OpenMap(24));
        Player& pilot = Pilot("Robot", 12 * 32, 6 * 32);
        const int nearShip = Pilot("Near", 12 * 32, 10 * 32).ShipId();
        const int farShip = Pilot("Far", 18 * 32, 6 * 32).ShipId();
        robot.LeaveAlone(spareNear ? std::vector<int> {nearShip} : std::vector<int> {});
        int first = 0; // its first pick, once a ship just come back is no longer left alone
        Fly(pilot, 4500, [&] { first = first ? first : robot.TargetShip(); });
        EXPECT_EQ(first, spareNear ? farShip : nearShip);
    }
}

} // namespace

// A route from kept costs goes cell to cell, each cheaper than the last
// (from a wall cell too), never shorter than the shortest search: it only
// pays steps to keep off walls. None goes to a goal walled off.
TEST_F(RobotTest, ARouteFromKeptCostsStepsDownThemToTheGoal)
{
    // A maze of passages two cells wide: every cell drawn twice across and down.
    std::vector<std::string> rows;
    for (const std::string row : {"..........", ".####.###.", ".#......#.", ".#.####.#.", ".#......#.", ".######.#.",
                                  "..........", "###.......", "#.#.......", "###......."}) {
        std::string wide;
        for (const char cell : row)
            wide += std::string(2, cell);
        rows.insert(rows.end(), 2, wide);
    }
    Begin(rows);
    const Navigator& shape = simulation->Shape();
    const Navigator::Cell goal {8, 8};
    const auto searched = [&](const Vector3& from) {
        return shape.Route(from, [&](const Navigator::Cell& c) { return c.column == goal.column && c.row == goal.row; });
    };
    for (const Vector3& from : {Vector3(Centre(0), Centre(0), 0.0), Vector3(Centre(18), Centre(12), 0.0),
                                Vector3(Centre(6), Centre(2), 0.0)}) {
        const auto route = shape.RouteTo(from, goal);
        ASSERT_FALSE(route.empty());
        EXPECT_GE(route.size(), searched(from).size());
        EXPECT_EQ(std::pair(route.back().column, route.back().row), std::pair(goal.column, goal.row));
        const std::vector<int> costs = shape.Costs(goal);
        const auto cost = [&](const Navigator::Cell& c) { return costs[static_cast<std::size_t>(c.row * 20 + c.column)]; };
        for (std::size_t i = 1; i < route.size(); ++i) {
            const int across = std::abs(route[i].column - route[i - 1].column) % 18;
            const int down = std::abs(route[i].row - route[i - 1].row) % 18;
            EXPECT_EQ(across + down, 1) << "one step, or one across the seam";
            EXPECT_TRUE(cost(route[i - 1]) < 0 || cost(route[i]) < cost(route[i - 1])) << "step " << i;
            EXPECT_FALSE(shape.Blocked(route[i].column, route[i].row));
        }
    }
    EXPECT_TRUE(shape.RouteTo(Vector3(Centre(0), Centre(0), 0.0), {2, 16}).empty());
}

// A gap one cell wide leaves a hull two pixels a side: routes go round by
// a wider one, however much longer, and never end in such a gap; a ship
// already in one leaves it.
TEST_F(RobotTest, RoutesKeepOutOfGapsOneCellWide)
{
    std::vector<std::string> rows = OpenMap(24);
    rows[22] = std::string(24, '#'); // nothing round the seam
    rows[10] = std::string(24, '#');
    rows[10][4] = '.';                 // one cell wide, beside the start
    rows[10].replace(18, 2, "..");     // two cells wide, far off
    Begin(rows);
    const Navigator& shape = simulation->Shape();
    EXPECT_TRUE(shape.Narrow(4, 10));
    EXPECT_FALSE(shape.Narrow(18, 10) || shape.Narrow(4, 9) || shape.Narrow(4, 10 + 1));
    const auto to = [](int column, int row) {
        return [column, row](const Navigator::Cell& c) { return c.column == column && c.row == row; };
    };
    for (const auto& route : {shape.Route(shape.CentreOf({4, 8}), to(4, 12)), shape.RouteTo(shape.CentreOf({4, 8}), {4, 12})}) {
        ASSERT_FALSE(route.empty());
        EXPECT_TRUE(std::ranges::any_of(route, [](const Navigator::Cell& c) { return c.row == 10 && c.column >= 18; }))
            << "through the wide gap";
        EXPECT_TRUE(std::ranges::none_of(route, [&](const Navigator::Cell& c) { return shape.Narrow(c.column, c.row); }));
    }
    EXPECT_TRUE(shape.Route(shape.CentreOf({4, 8}), to(4, 10)).empty());
    const std::vector<int> steps = shape.Steps({4, 8});
    EXPECT_EQ(steps[10 * 24 + 4], -1) << "a flag never stands where routes cannot go";
    EXPECT_EQ(steps[12 * 24 + 4] + 1, static_cast<int>(shape.RouteTo(shape.CentreOf({4, 8}), {4, 12}).size()));
    const auto out = shape.Route(shape.CentreOf({4, 10}), to(4, 12));
    ASSERT_EQ(out.size(), 3u) << "a ship in the gap may leave it";
}

// The shape's quick answers against the plain way of finding them: a
// straight flight sampled every quarter cell across, and routes searched
// one after another over memory the searches share.
TEST_F(RobotTest, TheShapesQuickAnswersAreThePlainOnes)
{
    std::vector<std::string> rows(24, std::string(32, '.'));
    std::mt19937 dice(11);
    for (int i = 0; i < 70; ++i)
        rows[dice() % 24][dice() % 32] = '#';
    rows[12].replace(2, 20, std::string(20, '#'));
    Begin(rows);
    const Navigator& shape = simulation->Shape();
    const auto blockedAt = [&](double x, double y) {
        return shape.Blocked(static_cast<int>(std::floor(x / 32.0)), static_cast<int>(std::floor(y / 32.0)));
    };
    const auto plain = [&](const Vector3& start, const Vector3& way, double reach, double half) {
        for (double s = 0.0; s < reach + 8.0; s += 8.0) {
            const double along = std::min(s, reach);
            const double x = start.x + way.x * along;
            const double y = start.y + way.y * along;
            if (blockedAt(x, y) || blockedAt(x - way.y * half, y + way.x * half) ||
                blockedAt(x + way.y * half, y - way.x * half))
                return std::max(0.0, along - 8.0);
        }
        return reach;
    };
    std::uniform_real_distribution<double> anywhere(-1500.0, 2500.0);
    std::uniform_real_distribution<double> turn(0.0, 6.283185307179586);
    for (int i = 0; i < 3000; ++i) {
        const Vector3 start(anywhere(dice), anywhere(dice), 0.0);
        const double angle = turn(dice);
        const Vector3 way(std::cos(angle), std::sin(angle), 0.0);
        for (const double half : {0.0, 6.0, 14.0}) {
            const double reach = 36.0 + (i % 7) * 90.0;
            ASSERT_EQ(shape.FreeDistance(start, way, reach, half), plain(start, way, reach, half))
                << "from " << start.x << "," << start.y << " at " << angle << " half " << half;
        }
    }

    // Steps by plain search across the cells a route may enter.
    const auto openSteps = [&](const Navigator::Cell& from, const Navigator::Cell& goal) {
        std::vector<int> steps(32 * 24, -1);
        std::vector<Navigator::Cell> reached {from};
        steps[static_cast<std::size_t>(from.row * 32 + from.column)] = 0;
        for (std::size_t head = 0; head < reached.size(); ++head) {
            const Navigator::Cell here = reached[head];
            if (here.column == goal.column && here.row == goal.row)
                return steps[static_cast<std::size_t>(here.row * 32 + here.column)];
            for (const auto& [dc, dr] : {std::pair(1, 0), std::pair(-1, 0), std::pair(0, 1), std::pair(0, -1)}) {
                const Navigator::Cell next {(here.column + dc + 32) % 32, (here.row + dr + 24) % 24};
                int& seen = steps[static_cast<std::size_t>(next.row * 32 + next.column)];
                if (seen >= 0 || shape.Blocked(next.column, next.row) || shape.Narrow(next.column, next.row))
                    continue;
                seen = steps[static_cast<std::size_t>(here.row * 32 + here.column)] + 1;
                reached.push_back(next);
            }
        }
        return -1;
    };
    for (int i = 0; i < 200; ++i) {
        const Navigator::Cell goal {static_cast<int>(dice() % 32), static_cast<int>(dice() % 24)};
        const Navigator::Cell from {static_cast<int>(dice() % 32), static_cast<int>(dice() % 24)};
        if (shape.Blocked(goal.column, goal.row) || shape.Blocked(from.column, from.row))
            continue;
        const auto route = shape.Route(shape.CentreOf(from), [&](const Navigator::Cell& c) {
            return c.column == goal.column && c.row == goal.row;
        });
        ASSERT_EQ(static_cast<int>(route.size()), openSteps(from, goal) + 1) << "search " << i;
    }
}

// A route to a kept goal keeps a cell off a wall where the room allows,
// paying two steps for it; a passage two cells wide is flown down its middle.
TEST_F(RobotTest, AFlagsRouteKeepsOffWallsAndDownThePassagesMiddle)
{
    std::vector<std::string> rows = OpenMap(24);
    rows[0] = std::string(24, '#');
    rows[12] = "#..#" + std::string(20, '#');
    Begin(rows);
    const Navigator& shape = simulation->Shape();
    const auto route = shape.RouteTo(shape.CentreOf({2, 1}), {12, 1});
    ASSERT_EQ(route.size(), 10u + 3u);
    for (std::size_t i = 1; i + 1 < route.size(); ++i)
        EXPECT_EQ(route[i].row, 2) << "step " << i;
    EXPECT_EQ(shape.MiddleOf({1, 12}).x, 64.0);
    EXPECT_EQ(shape.MiddleOf({2, 12}).x, 64.0);
    EXPECT_EQ(shape.MiddleOf({10, 5}).x, shape.CentreOf({10, 5}).x);
}

// A hull sliding down a passage two cells wide meets its side wall by its
// motion across alone, the passage's end by its motion along, and a corner
// met diagonally only by both together. A hull already touching a wall
// meets it at once only by the motion into it: sliding along or leaving
// it goes on to whatever lies ahead.
TEST_F(RobotTest, ASweepSaysWhichMotionMeetsTheWall)
{
    std::vector<std::string> rows(12, std::string(24, '#'));
    rows[5].replace(2, 16, 16, '.');
    rows[6].replace(2, 16, 16, '.');
    rows[4].replace(14, 4, 4, '.'); // a notch above the passage: its corners stand out
    Begin(rows);
    const Navigator& shape = simulation->Shape();
    const Vector3 middle(5 * 32.0, 6 * 32.0, 0.0);
    // The wall above 3 pixels into the hull: it sweeps as a box of 8.
    const Vector3 touching(5 * 32.0 + 8.0, 5 * 32.0 + 8.0, 0.0);
    const double tenDegrees = 10.0 * 3.141592653589793 / 180.0;
    const struct {
        Vector3 from;
        Vector3 way;
        double distance; // to within the sweep's step
        bool byX;
        bool byY;
    } cases[] = {
        {middle, Vector3(std::cos(tenDegrees), std::sin(tenDegrees), 0.0), 21.0 / std::sin(tenDegrees), false, true},
        {middle, Vector3(-1.0, 0.0, 0.0), 160.0 - 11.0 - 64.0, true, false},
        {Vector3(479.0, 191.0, 0.0), Vector3(-std::sqrt(0.5), -std::sqrt(0.5), 0.0), std::sqrt(2.0) * 20.0, true, true},
        {touching, Vector3(0.0, -1.0, 0.0), 0.0, false, true},
        {touching, Vector3(1.0, 0.0, 0.0), 400.0, false, false},
        {touching, Vector3(0.0, 1.0, 0.0), 7 * 32.0 - 168.0 - 8.0, false, true},
        {touching, Vector3(-1.0, 0.0, 0.0), 168.0 - 64.0 - 8.0, true, false},
    };
    for (const auto& c : cases) {
        const Navigator::Meeting meeting = shape.Sweep(c.from, c.way, 400.0, 11.0);
        EXPECT_NEAR(meeting.distance, c.distance, 4.0) << c.way.x << "," << c.way.y;
        EXPECT_EQ(std::pair(meeting.byX, meeting.byY), std::pair(c.byX, c.byY)) << c.way.x << "," << c.way.y;
    }
    EXPECT_EQ(shape.Sweep(middle, Vector3(1.0, 0.0, 0.0), 100.0, 11.0).distance, 100.0) << "nothing within reach";
}

// Head on with a ship about to meet it, a robot shields; not for a ship it
// cannot see, nor for a teammate that cannot hurt it.
TEST_F(RobotTest, ItShieldsAgainstAShipClosingOnlyWhenThatShipIsSeenAndCanHurt)
{
    const struct {
        const char* what;
        bool cloaked;
        bool teammate;
        bool friendlyFire;
        bool shields;
    } cases[] = {
        {"an enemy", false, false, false, true},
        {"a cloaked enemy", true, false, false, false},
        {"a teammate", false, true, false, false},
        {"a teammate with friendly fire", false, true, true, true},
    };
    for (const auto& c : cases) {
        robot = Robot(RobotSkill::At(kDefaultRobotSkill), 3);
        Play(OpenMap(24), {.dropPowerups = false, .seed = 7, .mode = "tdm", .friendlyFire = c.friendlyFire});
        Player& pilot = Pilot("Robot");
        Player& enemy = Pilot("Enemy");
        Player& mate = Pilot("Mate");
        ASSERT_TRUE(pilot.IsTeammate(mate));
        Player& other = c.teammate ? mate : enemy;
        Place(c.teammate ? enemy : mate, Centre(2), Centre(20));
        Place(pilot, Centre(12), Centre(6), 0.0f, Vector3(0.0, 200.0, 0.0));
        Place(other, Centre(12), Centre(6) + 100.0, 180.0f, Vector3(0.0, -200.0, 0.0));
        if (c.cloaked)
            other.GetShip().AddFlags(kFlagCloakDevice | kFlagCloaked);
        EXPECT_EQ(robot.Think(*simulation, pilot, kTick).Holds(kKeyShields), c.shields) << c.what;
    }
}
