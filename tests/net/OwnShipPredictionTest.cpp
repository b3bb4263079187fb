#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "net/OwnShipPrediction.h"
#include "net/OwnShots.h"
#include "support/Holding.h"
#include "support/MapFile.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/ShipControls.h"
#include "world/Torus.h"

namespace {

// A 20 x 20 room walled all round, or open.
std::unique_ptr<Map> Room(bool walled = true)
{
    MapRows rows = Rows(20, 20);
    for (int i = 0; i < 20 && walled; ++i)
        rows[0][i] = rows[19][i] = rows[i][0] = rows[i][19] = kCellWall;
    return MapOf(rows);
}

// A ship alive at (x, y) with a full tank.
Ship ShipAt(double x, double y)
{
    Ship ship;
    ship.ForceRespawn(static_cast<float>(x), static_cast<float>(y));
    ship.SetPosition(Vector3(x, y, 0));
    ship.SetFuel(ship.GetMaxFuel());
    return ship;
}

// A bullet as the server reports one: alive where it is, how it flies.
std::unique_ptr<Bullet> Reported(const Vector3& at, const Vector3& velocity)
{
    auto shot = std::make_unique<Bullet>();
    shot->ForceRespawn(0, 0);
    shot->SetPosition(at);
    shot->SetVelocity(velocity);
    return shot;
}

double Apart(const Vector3& a, const Vector3& b)
{
    return Vector3(FoldDifference(a.x - b.x, 640), FoldDifference(a.y - b.y, 640), 0).Length();
}

// The server's side of the same ship: keys arrive half a round trip after
// they were sent, 16 ms ticks fly them by the shared rules, walls bounce
// a shield, and every 50 ms a report leaves that arrives half a round trip
// later.
class Link {
public:
    // A report of the ship as it leaves the server, and when it arrives.
    struct Report {
        std::uint32_t at;
        Vector3 position, velocity;
        float heading;
        std::uint8_t flags;
    };

    Link(const Map& map, int roundTrip) : map(map), roundTrip(roundTrip), served(ShipAt(320, 320))
    {
        walls.Learn(map);
    }

    void Send(std::uint32_t at, const HeldKeys& keys) { toServer.push_back({at + roundTrip / 2, keys}); }

    // Runs the server up to now; reports that have arrived by now go to arrived.
    void RunTo(std::uint32_t now, const std::function<void(const Report&)>& arrived)
    {
        while (tickAt + 16 <= now) {
            tickAt += 16;
            while (!toServer.empty() && toServer.front().first <= tickAt) {
                held = toServer.front().second;
                toServer.pop_front();
            }
            Tick();
            history[tickAt] = served.Position();
            if (tickAt % 48 == 0)
                toClient.push_back({tickAt + roundTrip / 2, served.Position(), served.Velocity(),
                                    served.GetHeading(), served.GetFlags()});
        }
        while (!toClient.empty() && toClient.front().at <= now) {
            arrived(toClient.front());
            toClient.pop_front();
        }
    }

    // Where the server has the ship at a moment it has played.
    Vector3 ServedAt(std::uint32_t at) const
    {
        auto found = history.upper_bound(at);
        return found == history.begin() ? Vector3(320, 320, 0) : std::prev(found)->second;
    }

    const Ship& Served() const { return served; }

private:
    void Tick()
    {
        controls.Step(served, held, 16, nullptr, 0);
        const Vector3 before = served.Position();
        served.SetPosition(before + served.Velocity() * 0.016);
        served.Wrap(map.WorldWidth(), map.WorldHeight());
        if (WallCell* wall = walls.Rebound(served, before, 0.016); wall && !served.IsShielded())
            served.OnHit(wall);
        served.SetFuel(served.GetMaxFuel());
    }

    const Map& map;
    int roundTrip;
    Walls walls;
    Ship served;
    ShipControls controls;
    HeldKeys held;
    std::uint32_t tickAt = 0;
    std::deque<std::pair<std::uint32_t, HeldKeys>> toServer;
    std::deque<Report> toClient;
    std::map<std::uint32_t, Vector3> history;
};

// Turns, thrust with the shield up into a wall and off it, a coast: the
// own ship moves the frame its keys go down, is where the server will have
// it once the keys arrive, and never jumps.
TEST(OwnShipPrediction, FliesAtOnceAndIsWhereTheServerWillHaveItAtAnyPing)
{
    const auto map = Room();
    for (const int roundTrip : {0, 100, 300}) {
        Link link(*map, roundTrip);
        Ship shown = ShipAt(320, 320);
        OwnShipPrediction prediction;
        std::uint32_t now = 0;
        const auto arrived = [&](const Link::Report& report) {
            shown.SetFuel(shown.GetMaxFuel());
            shown.SetFlags(report.flags);
            prediction.OnReport(shown, report.position, report.velocity, report.heading, now, roundTrip, map.get());
        };
        std::vector<std::pair<std::uint32_t, Vector3>> shownAt;
        std::vector<double> errors;
        double longestStep = 0.0;
        std::uint32_t firstMove = 0;
        Vector3 last = shown.Position();
        for (now = 10; now <= 4000; now += 10) {
            link.RunTo(now, arrived);
            const HeldKeys keys = now < 400    ? Holding({kKeyTurnLeft})
                                  : now < 2000 ? Holding({kKeyThrust, kKeyShields})
                                  : now < 2300 ? Holding({kKeyTurnRight, kKeyShields})
                                               : Holding({kKeyShields});
            link.Send(now, keys);
            prediction.Step(shown, keys, 10, now, map.get());
            if (!firstMove && now >= 400 && Apart(shown.Position(), last) > 0.0)
                firstMove = now;
            longestStep = std::max(longestStep, Apart(shown.Position(), last) -
                                                    shown.GetMaxSpeed() * 0.010);
            last = shown.Position();
            if (now > 600 && now + roundTrip / 2 < 3900)
                shownAt.push_back({now + roundTrip / 2, shown.Position()});
        }
        for (const auto& [at, position] : shownAt)
            errors.push_back(Apart(position, link.ServedAt(at)));
        std::sort(errors.begin(), errors.end());
        EXPECT_LE(firstMove, 410u) << roundTrip << " ms: thrust moved the ship late";
        EXPECT_LT(errors[errors.size() / 2], 4.0) << roundTrip << " ms: the median distance from the server";
        EXPECT_LT(errors.back(), 14.0) << roundTrip << " ms: the largest distance from the server";
        EXPECT_LT(longestStep, 8.0) << roundTrip << " ms: a frame jumped further than the ship flies";
        EXPECT_LT(std::hypot(link.Served().Velocity().x, link.Served().Velocity().y), link.Served().GetMaxSpeed())
            << "it bounced";
    }
}

// Over a long round trip the reports still count the missiles fired since:
// the prediction pays for them as the server will, so every missile the
// server fires is drawn when its key goes down, and none twice.
TEST(OwnShipPrediction, TheShotsFiredSinceTheReportArePaidFor)
{
    const auto map = Room();
    constexpr int kRoundTrip = 900;
    for (const int carried : {1, 3}) {
        Ship shown = ShipAt(320, 320);
        shown.SetRounds(Ammunition::Missiles, static_cast<signed char>(carried));
        OwnShipPrediction prediction;
        prediction.OnReport(shown, shown.Position(), Vector3(), 0.0f, 0, kRoundTrip, map.get());
        std::vector<std::uint32_t> firedAt;
        std::size_t flying = 0;
        for (std::uint32_t now = 10; now <= 2500; now += 10) {
            if (now % 50 == 0) {
                // The server's count, a round trip behind the keys.
                const auto heard = std::count_if(firedAt.begin(), firedAt.end(),
                                                 [&](std::uint32_t at) { return at + kRoundTrip <= now; });
                shown.SetRounds(Ammunition::Missiles, static_cast<signed char>(carried - heard));
                prediction.OnReport(shown, Vector3(320, 320, 0), Vector3(), 0.0f, now, kRoundTrip, map.get());
            }
            prediction.Step(shown, Holding({kKeyMissile}), 10, now, map.get());
            const std::size_t nowFlying = prediction.Shots().InFlight().size();
            if (nowFlying > flying)
                firedAt.push_back(now);
            flying = nowFlying;
        }
        EXPECT_EQ(firedAt.size(), static_cast<std::size_t>(carried)) << carried << " carried";
    }
}

// A small disagreement is eased in over frames; a large one is the server
// moving the ship itself, taken at once. Off, a report is taken as it is.
TEST(OwnShipPrediction, EasesSmallDisagreementsAndTakesJumps)
{
    const auto map = Room();
    Ship ship = ShipAt(0, 0);
    OwnShipPrediction prediction;
    prediction.OnReport(ship, Vector3(300, 300, 0), Vector3(), 100.0f, 0, 0, map.get());
    EXPECT_EQ(ship.Position().x, 300.0);
    prediction.OnReport(ship, Vector3(310, 300, 0), Vector3(), 110.0f, 0, 0, map.get());
    EXPECT_TRUE(prediction.Step(ship, HeldKeys(), 10, 10, map.get()));
    EXPECT_TRUE(ship.Position().x > 300.5 && ship.Position().x < 309.5) << ship.Position().x;
    EXPECT_TRUE(ship.GetHeading() > 100.5f && ship.GetHeading() < 109.5f) << ship.GetHeading();
    for (std::uint32_t now = 20; now < 300; now += 10)
        prediction.Step(ship, HeldKeys(), 10, now, map.get());
    EXPECT_NEAR(ship.Position().x, 310.0, 0.05);
    EXPECT_NEAR(ship.GetHeading(), 110.0f, 0.05f);
    prediction.OnReport(ship, Vector3(180, 300, 0), Vector3(), 180.0f, 300, 0, map.get());
    prediction.Step(ship, HeldKeys(), 10, 310, map.get());
    EXPECT_TRUE(ship.Position().x > 200.0 && ship.GetHeading() < 170.0f) << "a push and a turn are eased in";
    prediction.OnReport(ship, Vector3(100, 500, 0), Vector3(), 110.0f, 300, 0, map.get());
    prediction.OnReport(ship, Vector3(0, 0, 0), Vector3(), 110.0f, 300, 0, map.get());
    EXPECT_EQ(ship.Position().x, 0.0) << "half a screen off is taken at once";
    prediction.OnReport(ship, Vector3(0, 0, 0), Vector3(), 250.0f, 300, 0, map.get());
    EXPECT_FLOAT_EQ(ship.GetHeading(), 250.0f) << "and so is more than a quarter turn";

    prediction.SetEnabled(false);
    EXPECT_FALSE(prediction.Step(ship, Holding({kKeyThrust}), 10, 310, map.get()));
    prediction.OnReport(ship, Vector3(120, 500, 0), Vector3(), 20.0f, 310, 0, map.get());
    EXPECT_FLOAT_EQ(ship.GetHeading(), 20.0f);
    EXPECT_EQ(ship.Position().x, 0.0) << "off, the world moves the ship";
}

// Where the server has a ship at a moment of its clock: position and velocity.
using Way = std::function<std::pair<Vector3, Vector3>(std::uint32_t)>;

// Four seconds of 10 ms frames holding the keys given, over a 100 ms round
// trip measured anew as the one given from 2 s on: the server reports the
// ship's way every 48 ms, one report in twenty is lost, and each arrives
// 50 ms later give or take up to 20 ms when jittered. Returns where the
// ship was drawn each frame.
std::vector<Vector3> Flown(OwnShipPrediction& prediction, const Way& way, const HeldKeys& keys, bool jittered,
                           int laterRoundTrip = 100)
{
    const auto map = Room(false);
    Ship ship = ShipAt(100, 100);
    std::vector<Vector3> drawn;
    std::uint32_t sent = 0;
    for (std::uint32_t now = 0; now <= 4000; now += 10) {
        for (;; sent += 48) {
            const int late = jittered ? static_cast<int>((sent / 48 * 7919 + 20) % 41) - 20 : 0;
            if (sent + 50 + static_cast<std::uint32_t>(late) > now)
                break;
            const auto [position, velocity] = way(sent);
            if (sent / 48 % 20 != 7)
                prediction.OnReport(ship, position, velocity, 90.0f, now, now < 2000 ? 100 : laterRoundTrip, map.get());
        }
        prediction.Step(ship, keys, 10, now, map.get());
        drawn.push_back(ship.Position());
    }
    return drawn;
}

// A coast at 200 units a second along x from (100, 100), turned by a push
// to 150 a second along -y at the moment given.
Way Pushed(std::uint32_t at)
{
    return [at](std::uint32_t t) {
        const double before = std::min(t, at) / 1000.0;
        const double after = (std::max(t, at) - at) / 1000.0;
        const Vector3 velocity = t < at ? Vector3(200, 0, 0) : Vector3(0, -150, 0);
        return std::make_pair(Vector3(100 + 200 * before, 100 - 150 * after, 0), velocity);
    };
}

// Reports late or early by the network's jitter each moved the drawn ship
// by its speed times that: a steady coast is drawn at an even pace where
// the server will have the ship, also through a round trip measured
// anew, yet a push the reports tell is followed within a few frames.
TEST(OwnShipPrediction, JitteredReportsOfASteadyCoastAreDrawnEvenlyAndAPushPromptly)
{
    OwnShipPrediction prediction;
    const Way pushed = Pushed(3000);
    const std::vector<Vector3> drawn = Flown(prediction, pushed, HeldKeys(), true);
    EXPECT_GT(prediction.JitterMs(), 5.0) << "the jitter is measured";
    std::vector<double> steps;
    for (std::size_t i = 100; i < 300; ++i)
        steps.push_back(Apart(drawn[i], drawn[i - 10]));
    for (std::size_t i = 0; i < steps.size(); ++i)
        EXPECT_NEAR(steps[i], 20.0, 0.6) << "in the 100 ms to " << (i + 100) * 10 << " ms";
    for (std::uint32_t now = 1000; now <= 4000; now += 10) {
        // Half a round trip ahead of the server, as the keys are.
        const double off = Apart(drawn[now / 10], pushed(now + 50).first);
        // The push is news a report after it happens: what it set right
        // is eased in over a few frames from then, the last of it as the
        // coast goes on.
        const bool news = now + 50 >= 3000 && now < 3200;
        const bool easing = now >= 3200 && now < 3600;
        EXPECT_TRUE(news || off < (easing ? 4.0 : 1.5)) << off << " units off at " << now << " ms";
    }

    // The round trip measured longer on the way: the coast stays even.
    OwnShipPrediction remeasured;
    const std::vector<Vector3> later = Flown(remeasured, Pushed(5000), HeldKeys(), true, 140);
    for (std::size_t i = 150; i < 300; ++i)
        EXPECT_NEAR(Apart(later[i], later[i - 10]), 20.0, 2.0) << "in the 100 ms to " << i * 10 << " ms";
}

// What is drawn of the ship is smoothed; when its shots leave is the keys'
// and the reload's business alone, whatever the reports' timing.
TEST(OwnShipPrediction, JitterLeavesTheShotsTiming)
{
    std::vector<std::vector<std::uint32_t>> fired;
    for (const bool jittered : {false, true}) {
        OwnShipPrediction prediction;
        Flown(prediction, Pushed(3000), Holding({kKeyFire}), jittered);
        fired.emplace_back();
        for (const OwnShots::Flying& shot : prediction.Shots().InFlight())
            fired.back().push_back(shot.at);
    }
    EXPECT_GT(fired.front().size(), 1u);
    EXPECT_EQ(fired.front(), fired.back());
}

// A bare hull stops at the wall the server would wreck it on, and does
// not fly through it while the server's word is on its way; a wreck stays.
TEST(OwnShipPrediction, ABareHullWaitsAtTheWall)
{
    const auto map = Room();
    Ship ship = ShipAt(0, 0);
    OwnShipPrediction prediction;
    // Heading 90 points along -x, towards the wall of column 0.
    prediction.OnReport(ship, Vector3(100, 320, 0), Vector3(-200, 0, 0), 90.0f, 0, 0, map.get());
    for (std::uint32_t now = 10; now <= 1000; now += 10)
        prediction.Step(ship, Holding({kKeyThrust}), 10, now, map.get());
    EXPECT_GT(ship.Position().x, 32.0) << "inside the wall";
    EXPECT_LT(ship.Position().x, 60.0) << "it should have reached the wall";

    // A shield the server reports, let go of before the wall, bounces nothing.
    prediction.Reset();
    ship.SetFlags(kFlagShield);
    prediction.OnReport(ship, Vector3(70, 320, 0), Vector3(-200, 0, 0), 90.0f, 2000, 200, map.get());
    double farthest = 0.0;
    for (std::uint32_t now = 2010; now <= 3000; now += 10) {
        prediction.Step(ship, Holding({kKeyThrust}), 10, now, map.get());
        farthest = std::max(farthest, ship.Position().x);
    }
    EXPECT_LE(farthest, 70.0) << "it bounced off with its shield down";

    // A ship just come back has its free shield, as on the server, and
    // bounces; once the shield is over it waits at the wall again.
    for (const std::uint32_t spawnedAt : {2000u, 0u}) {
        prediction.OnSpawn(spawnedAt);
        ship.SetFlags(spawnedAt ? kFlagShield : 0);
        prediction.OnReport(ship, Vector3(70, 320, 0), Vector3(-200, 0, 0), 90.0f, 3100, 200, map.get());
        for (std::uint32_t now = 3110; now <= 3400; now += 10)
            prediction.Step(ship, HeldKeys(), 10, now, map.get());
        EXPECT_EQ(ship.Velocity().x > 0.0, spawnedAt != 0) << "spawned at " << spawnedAt;
    }

    // The wreck of a ship stays where it went down.
    const Vector3 wreck = ship.Position();
    ship.Kill();
    prediction.OnReport(ship, Vector3(300, 300, 0), Vector3(), 10.0f, 3000, 200, map.get());
    EXPECT_EQ(ship.Position().x, wreck.x);
    EXPECT_FLOAT_EQ(ship.GetHeading(), 10.0f);
}

// Shots show the frame their key goes down, at the weapons' own rate; the
// server's report of one takes its place where it has flown, one that the
// server never fired goes after a round trip, and walls stop them.
TEST(OwnShots, FireAtOnceAndGiveWayToTheServersOwn)
{
    const auto map = Room();
    Walls walls;
    walls.Learn(*map);
    Ship ship = ShipAt(320, 320);
    OwnShots shots;
    // Frames with nothing held from one moment to before another.
    const auto coast = [&](std::uint32_t from, std::uint32_t to, int roundTrip) {
        for (std::uint32_t now = from; now < to; now += 10)
            shots.Step(ship, HeldKeys(), 10, now, roundTrip, map.get(), walls);
    };
    shots.Step(ship, Holding({kKeyFire, kKeyTurnLeft}), 10, 10, 200, map.get(), walls);
    ASSERT_EQ(shots.InFlight().size(), 1u) << "the frame the key went down";
    EXPECT_EQ(shots.InFlight().front().shot->GetHeading(), ship.GetHeading()) << "from the ship as it was flown";
    for (std::uint32_t now = 20; now <= 200; now += 10)
        shots.Step(ship, Holding({kKeyFire}), 10, now, 200, map.get(), walls);
    EXPECT_EQ(shots.InFlight().size(), 1u) << "reloading";
    shots.Step(ship, Holding({kKeyFire}), 10, 210, 200, map.get(), walls);
    ASSERT_EQ(shots.InFlight().size(), 2u);

    // The server's first shot, a round trip late, a tick along its way.
    const GameObject& first = *shots.InFlight().front().shot;
    const auto served = Reported(Vector3(320, 320, 0) + first.Velocity() * 0.02, first.Velocity());
    const Vector3 flown = first.Position();
    EXPECT_TRUE(shots.Claim(*served, 230));
    EXPECT_EQ(served->Position().x, flown.x) << "it goes on from where ours had got to";
    EXPECT_EQ(shots.InFlight().size(), 1u) << "no doubled shot";

    // The server's second left the other way (a push the flight here did
    // not foresee): ours goes at once, and the server's is drawn where it
    // has it, as anyone's.
    const Vector3 second = shots.InFlight().front().shot->Velocity();
    const Vector3 other = Vector3(320, 320, 0) - second * 0.02;
    const auto pushed = Reported(other, second * -1.0);
    pushed->SetId(7);
    EXPECT_TRUE(shots.Claim(*pushed, 430));
    EXPECT_TRUE(shots.InFlight().empty()) << "no shot drawn where none flies";
    EXPECT_EQ(pushed->Position().x, other.x);
    EXPECT_FALSE(shots.IsOurs(pushed->GetId())) << "not drawn ahead of its reports";
    EXPECT_EQ(shots.Replaced(), 1u);
    EXPECT_FALSE(shots.Claim(*Reported(other, second), 440)) << "nothing of ours left to take";
    coast(240, 450, 200);
    shots.Step(ship, Holding({kKeyFire}), 10, 450, 200, map.get(), walls);
    ASSERT_EQ(shots.InFlight().size(), 1u);

    coast(460, 470 + 200 + OwnShots::kGraceMs, 200);
    EXPECT_TRUE(shots.InFlight().empty()) << "a shot the server never fired goes";

    // Heading 90 points along -x: at the wall of column 0 a shot stops.
    ship.SetPosition(Vector3(60, 320, 0));
    ship.SetHeading(90.0f);
    shots.Clear();
    shots.Step(ship, Holding({kKeyFire}), 10, 1000, 1000, map.get(), walls);
    coast(1010, 1100, 1000);
    ASSERT_EQ(shots.InFlight().size(), 1u);
    EXPECT_FALSE(shots.InFlight().front().shot->IsAlive()) << "the shot flew through the wall";
    const auto late = Reported(Vector3(52, 320, 0), shots.InFlight().front().shot->Velocity());
    EXPECT_TRUE(shots.Claim(*late, 1100));
    EXPECT_FALSE(late->IsAlive()) << "the server's shot went down at the wall with ours";

    // A mine dropped behind a ship backing into the wall bounces off it.
    ship.SetPosition(Vector3(80, 320, 0));
    ship.SetHeading(270.0f);
    ship.SetVelocity(Vector3(-200, 0, 0));
    ship.SetRounds(Ammunition::Mines, 1);
    shots.Clear();
    shots.Step(ship, Holding({kKeyMine}), 10, 2000, 1000, map.get(), walls);
    coast(2010, 2500, 1000);
    ASSERT_EQ(shots.InFlight().size(), 1u);
    EXPECT_TRUE(shots.InFlight().front().shot->IsAlive() && shots.InFlight().front().shot->Velocity().x > 0.0)
        << "the mine was spent on the wall";
}

} // namespace
