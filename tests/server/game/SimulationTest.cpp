#include <algorithm>
#include <cmath>
#include <functional>

#include "server/game/SimulationFixture.h"
#include "world/Lifetime.h"
#include "world/Map.h"
#include "world/Missile.h"
#include "world/Powerup.h"
#include "world/Turret.h"

namespace {

using Kill = RecordingListener::Kill;
using Kills = std::vector<Kill>;

// Thrust, fuel and reloads are ShipControls' rules; here, that the game
// steps them: turning, and a bullet from the nose on the tick it is fired.
TEST_F(SimulationTest, TurnsAtTheDesignedRateAndFiresFromTheNoseOnTheTickTheKeyIsHeld)
{
    Play(OpenMap(20));
    Player& pilot = Pilot("Pilot", 320, 320);
    Ship& ship = pilot.GetShip();
    Hold(pilot, {kKeyTurnRight}, 250);
    EXPECT_NEAR(ship.GetHeading(), 90.0f, 0.01f) << "360 degrees a second, L turns clockwise";
    Hold(pilot, {kKeyTurnLeft}, 500);
    EXPECT_NEAR(ship.GetHeading(), 270.0f, 0.01f);
    Hold(pilot, {kKeyTurnLeft, kKeyTurnRight, 99, -5}, 100);
    EXPECT_NEAR(ship.GetHeading(), 270.0f, 0.01f) << "both turns cancel; unknown codes do nothing";

    Place(pilot, 320, 320, 0.0f, Vector3(0, 100, 0));
    Hold(pilot, {kKeyFire}, 10);
    const auto bullets = events.Appeared(kTypeBullet);
    ASSERT_EQ(bullets.size(), 1u);
    EXPECT_NEAR(Entity(bullets[0])->Position().y, 320.0 + ship.NoseOffset().y + 6.0, 1e-3)
        << "from the nose, then one step at 500 on top of the ship's own 100";
}

TEST_F(SimulationTest, MissilesHomeOnTheNearestVisibleOpponent)
{
    Play(OpenMap(20));
    Player& shooter = Pilot("Shooter", 100, 320);
    Player& far = Pilot("Far", 400, 320);
    Player& hidden = Pilot("Hidden", 160, 320);
    hidden.GetShip().AddFlags(kFlagCloakDevice);
    Hold(hidden, {kKeyCloak}, 10);

    shooter.GetShip().SetRounds(Ammunition::Missiles, 1);
    Hold(shooter, {kKeyMissile}, 10);
    const auto missiles = events.Appeared(kTypeMissile);
    ASSERT_EQ(missiles.size(), 1u);
    auto* missile = static_cast<Missile*>(Entity(missiles[0]));
    EXPECT_EQ(missile->HomingTarget(), &far.GetShip()) << "the cloaked ship is nearer but unseen";

    Hold(hidden, {}, 10);
    EXPECT_EQ(missile->HomingTarget(), &far.GetShip()) << "a live lock is kept";
    far.GetShip().Kill();
    Run(10);
    EXPECT_EQ(missile->HomingTarget(), &hidden.GetShip()) << "its target gone, it takes the next";
}

// Which block is in reach is the world's search (WorldTest); here, that
// the ship draws from it and the block shows it.
TEST_F(SimulationTest, RefuelsFromABlockInReachWhichRegrows)
{
    auto rows = OpenMap(20);
    rows[10][10] = '$';
    Play(rows);
    Player& pilot = Pilot("Pilot", Centre(9), Centre(10));
    Ship& ship = pilot.GetShip();
    ship.SetFuel(50.0f);
    Hold(pilot, {kKeyFuelUp}, 500);
    EXPECT_NEAR(ship.GetFuel(), 70.0f, 0.01f) << "40 a second";
    EXPECT_EQ(std::tuple(ship.HasFlags(kFlagRefuelling), ship.FuelLinkX(), ship.FuelLinkY()),
              std::tuple(true, Centre(10), Centre(10)));
    const float level = simulation->Depots().Level(10, 10);
    EXPECT_NEAR(level, 255.0f - 20.0f + 1.5f, 0.01f) << "the block gave what the ship got, less its regrowth";
    EXPECT_EQ(simulation->CurrentMap()->CellExtraAt(10, 10), std::lround(255.0f - level))
        << "its cell holds the amount drawn";
    ASSERT_FALSE(events.tiles.empty());
    EXPECT_EQ(events.tiles.back(), std::make_pair(10, 10));

    Hold(pilot, {}, 10000);
    EXPECT_FALSE(ship.HasFlags(kFlagRefuelling));
    EXPECT_NEAR(simulation->Depots().Level(10, 10), 255.0f, 0.1f) << "it grows back, 3 a second";
}

TEST_F(SimulationTest, AWallKillsAnUnshieldedShipAndBouncesAShieldedOneForFuel)
{
    auto rows = OpenMap(20);
    for (auto& row : rows)
        row[12] = '#';
    Play(rows);
    Player& pilot = Pilot();
    Ship& ship = pilot.GetShip();
    Place(pilot, Centre(10), Centre(10), 0.0f, Vector3(200, 0, 0));
    Run(400);
    EXPECT_EQ(events.kills, (Kills{{pilot.ShipId(), 0, DeathCause::Crashed}}));
    EXPECT_EQ(ship.GetScore(), -1) << "a crash counts against the ship";

    Run(5000);
    ASSERT_TRUE(ship.IsAlive());
    Place(pilot, Centre(10), Centre(10), 0.0f, Vector3(200, 0, 0));
    Hold(pilot, {kKeyShields});
    float before = ship.GetFuel();
    for (int t = 0; t < 400 && ship.Velocity().x > 0.0; t += 10) {
        before = ship.GetFuel();
        simulation->Step(10);
    }
    EXPECT_TRUE(ship.IsAlive());
    EXPECT_NEAR(ship.Velocity().x, -200.0, 1e-6) << "mirrored off the wall's face";
    EXPECT_NEAR(before - ship.GetFuel(), 0.1f + 10.0f * 200.0f * 200.0f / (768.0f * 768.0f), 1e-3f)
        << "a tick of shield and the bounce, 10 scaled by the impact";
    EXPECT_LE(ship.Position().x, Centre(11)) << "back out of the wall";
}

// A pillar with cut corners, as the shipped maps have: a shield flown at it
// from every side and angle rebounds and leaves, never clinging to a
// corner and paying for a rebound every step until the tank is dry.
TEST_F(SimulationTest, AShieldNeverClingsToAWallCorner)
{
    auto rows = OpenMap(20);
    const char* pillar[] = {"J##L", "####", "####", "7##F"};
    for (int r = 0; r < 4; ++r)
        rows[8 + r].replace(8, 4, pillar[r]);
    Play(rows);
    Player& pilot = Pilot();
    Ship& ship = pilot.GetShip();
    int longestClinging = 0;
    for (int from = 0; from < 360; from += 10) {
        for (int aim = -40; aim <= 40; aim += 10) {
            const double out = from * M_PI / 180.0;
            const double in = out + M_PI + aim * M_PI / 180.0;
            Place(pilot, 320 + 110 * std::cos(out), 320 + 110 * std::sin(out), 0.0f,
                  Vector3(300 * std::cos(in), 300 * std::sin(in), 0));
            ship.SetFuel(ship.GetMaxFuel());
            Hold(pilot, {kKeyShields});
            int clinging = 0;
            for (int t = 0; t < 1000; t += 16) {
                const Vector3 came = ship.Velocity();
                simulation->Step(16);
                clinging = ship.Velocity().x != came.x || ship.Velocity().y != came.y ? clinging + 1 : 0;
                longestClinging = std::max(longestClinging, clinging);
            }
            ASSERT_TRUE(ship.IsAlive()) << "from " << from << " aimed " << aim;
        }
    }
    EXPECT_LE(longestClinging, 2) << "rebounds in a row";
}

// What each kind gives is the ship's own rule; here, that touching one takes it.
TEST_F(SimulationTest, APowerupTouchedIsTakenAndItsTakerToldAtOnceUnlessShielded)
{
    Play(OpenMap(20));
    Player& pilot = Pilot("Pilot", 320, 320);
    Ship& ship = pilot.GetShip();
    const auto take = [&](int kind) {
        simulation->PlacePowerup(kind, ship.Position());
        simulation->Step(10);
    };
    take(kPowerupMissile);
    take(kPowerupCloak);
    EXPECT_EQ(std::tuple(ship.Rounds(Ammunition::Missiles), ship.HasFlags(kFlagCloakDevice)), std::tuple(2, true));
    EXPECT_EQ(events.killed.size(), 2u) << "each one was taken";
    EXPECT_EQ(events.changed, (std::vector<int>{pilot.ShipId(), pilot.ShipId()})) << "and its taker reported";

    Hold(pilot, {kKeyShields});
    take(kPowerupMissile);
    EXPECT_EQ(std::tuple(ship.Rounds(Ammunition::Missiles), events.killed.size()), std::tuple(2, 2u))
        << "a shield knocks powerups away";
}

TEST_F(SimulationTest, ATurretShootsAShipInItsArcDiesWhenShotAndComesBackInPlace)
{
    auto rows = OpenMap(20);
    rows[15][10] = '^';
    rows[1] = rows[18] = std::string(20, '#'); // stops the shots that miss
    Play(rows);
    ASSERT_EQ(simulation->Turrets().size(), 1u);
    const Turret& turret = *simulation->Turrets()[0];
    const Vector3 where = turret.Position();

    Player& pilot = Pilot();
    Ship& ship = pilot.GetShip();
    Place(pilot, where.x, where.y - 200.0);
    Run(1000);
    const auto shots = events.Appeared(kTypeBullet);
    ASSERT_FALSE(shots.empty()) << "a ship above an upward gun is in its arc";
    EXPECT_LT(shots[0].velocity.y, 0.0) << "fired upwards, at the ship";
    ASSERT_FALSE(events.kills.empty());
    EXPECT_EQ(events.kills[0], (Kill{pilot.ShipId(), 0, DeathCause::Turret}));
    EXPECT_EQ(ship.GetScore(), 0) << "nobody scores for a gun";

    Run(5000);
    ASSERT_TRUE(ship.IsAlive());
    Place(pilot, where.x, where.y - 100.0, 0.0f);
    Hold(pilot, {kKeyFire, kKeyShields}, 500);
    EXPECT_FALSE(turret.IsAlive()) << "shot from straight above";
    ASSERT_FALSE(events.turrets.empty());
    EXPECT_EQ(events.turrets.back(), std::make_pair(turret.GetId(), false));
    EXPECT_TRUE(ship.IsAlive()) << "its shots stopped by the shield";

    // Where it comes back is the turret's rule (WorldTest); here, when, and that it is told.
    Hold(pilot, {});
    Place(pilot, where.x + 300.0, where.y + 200.0);
    Run(14000);
    EXPECT_FALSE(turret.IsAlive());
    Run(1000);
    EXPECT_EQ(events.turrets.back(), std::make_pair(turret.GetId(), true)) << "15 seconds after it fell";
}

// Where the first two ships to join are put, by the cells of an open map.
TEST_F(SimulationTest, ShipsSpawnOnTheFreeSpawnPointFarthestFromOthersAndOutOfTheTurretsReach)
{
    using Cell = std::pair<int, int>;
    const struct {
        int side;
        std::vector<std::pair<Cell, char>> cells; // column and row
        Cell first, second;
        const char* why;
    } cases[] = {
        {20, {{{1, 1}, '@'}, {{10, 10}, '@'}, {{18, 1}, '@'}}, {1, 1}, {10, 10},
         "(18, 1) is 3 columns away across the edge"},
        {40, {{{1, 0}, 'v'}, {{1, 3}, '@'}, {{20, 20}, '@'}}, {20, 20}, {1, 3}, "(1, 3) lies under the turret's gun"},
    };
    for (const auto& c : cases) {
        auto rows = OpenMap(c.side);
        for (const auto& [at, kind] : c.cells)
            rows[static_cast<std::size_t>(at.second)][static_cast<std::size_t>(at.first)] = kind;
        Play(rows);
        for (const auto& [name, cell] : {std::pair("First", c.first), {"Second", c.second}}) {
            EXPECT_EQ(At(Pilot(name).GetShip()), std::pair(Centre(cell.first), Centre(cell.second)))
                << name << ": " << c.why;
        }
    }
}

// Thrust at once must not fly a new ship into the wall beside its spawn point.
TEST_F(SimulationTest, ANewShipFacesTheWayWithTheMostRoomAndIsShieldedAtFirst)
{
    std::vector<std::string> rows(20, std::string(20, '#'));
    rows[10].replace(5, 11, "@..........");
    Play(rows);
    Ship& ship = Pilot().GetShip();
    EXPECT_EQ(ship.GetHeading(), 270.0f) << "along the corridor, to the right";

    // Nor shot down before its pilot has found it: a free shield at first.
    const float fuel = ship.GetFuel();
    Run(10);
    EXPECT_TRUE(ship.HasFlags(kFlagShield));
    Run(ShipControls::kSpawnShieldMs);
    EXPECT_FALSE(ship.HasFlags(kFlagShield));
    EXPECT_EQ(ship.GetFuel(), fuel) << "it cost nothing";
}

// Whatever is fired, dropped, placed or burst lives its lifetime on the
// game's clock, counted from the tick it came: alive at the end of it and
// gone one tick later. Nothing is left to touch it: its ships have left
// and the map has no walls.
TEST_F(SimulationTest, BulletsMinesMissilesPowerupsAndShrapnelExpireAtTheirLifetimesOnTheGamesClock)
{
    struct Case {
        const char* what;
        int type;
        std::uint32_t lifetime;
        std::function<void(Player& pilot, Player& other)> launch;
    };
    // One round of it given and its key tapped.
    const auto armed = [&](Player& pilot, Ammunition rounds, int key) {
        pilot.GetShip().SetRounds(rounds, 1);
        Tap(pilot, key);
    };
    const Case cases[] = {
        {"bullet", kTypeBullet, kBulletLifetime, [&](Player& pilot, Player&) { Tap(pilot, kKeyFire); }},
        {"mine", kTypeMine, kMineLifetime, [&](Player& p, Player&) { armed(p, Ammunition::Mines, kKeyMine); }},
        {"plasma mine", kTypePlasmaMine, kMineLifetime,
         [&](Player& p, Player&) { armed(p, Ammunition::PlasmaMines, kKeyPlasmaMine); }},
        {"missile", kTypeMissile, kMissileLifetime,
         [&](Player& p, Player&) { armed(p, Ammunition::Missiles, kKeyMissile); }},
        {"powerup", kTypePowerup, kPowerupLifetime,
         [&](Player&, Player&) { simulation->PlacePowerup(kPowerupFuel, Vector3(100, 100, 0)); }},
        {"shrapnel", kTypeShrapnel, kShrapnelLifetime,
         [&](Player& pilot, Player& other) {
             armed(pilot, Ammunition::PlasmaMines, kKeyPlasmaMine);
             const auto plasma = events.Appeared(kTypePlasmaMine).at(0);
             Place(pilot, 500, 500);
             Place(other, Entity(plasma)->Position().x, Entity(plasma)->Position().y);
             simulation->Step(10);
             // A plasma mine bursts once, and the kill is its layer's.
             EXPECT_EQ(events.kills, (Kills{{other.ShipId(), pilot.ShipId(), DeathCause::Weapon}}));
             EXPECT_EQ(events.Appeared(kTypeShrapnel).size(), static_cast<std::size_t>(Simulation::kShrapnelPieces));
             EXPECT_TRUE(!Entity(plasma) || !Entity(plasma)->IsAlive());
         }},
    };
    for (const Case& c : cases) {
        Play(OpenMap(20));
        Player& pilot = Pilot("Pilot", 320, 320);
        Player& other = Pilot("Other", 100, 100);
        Run(1000);
        c.launch(pilot, other);
        simulation->RemovePlayer(&pilot);
        simulation->RemovePlayer(&other);
        const auto launched = events.Appeared(c.type);
        ASSERT_FALSE(launched.empty()) << c.what;
        const World& world = simulation->GetWorld();
        const auto living = [&] {
            return std::ranges::count_if(launched, [&](const RecordingListener::Entity& e) {
                const GameObject* entity = world.FindEntity(e.id);
                return entity && entity->IsAlive();
            });
        };
        Run(static_cast<int>(c.lifetime), 100);
        EXPECT_EQ(living(), std::ssize(launched)) << c.what << " at the end of its lifetime";
        simulation->Step(10);
        EXPECT_EQ(living(), 0) << c.what << " a tick later";
    }
}

// On the open shipped maps, each of the first six ships to join, holding
// full thrust the way it faces, unshielded, flies 1.5 s without touching a
// wall: the game picks spawn points with room ahead, and faces that way.
TEST_F(SimulationTest, NewShipsOnTheOpenShippedMapsFaceRoomForASecondAndAHalfOfFullThrust)
{
    for (const char* name : {"Arena", "Expanse"}) {
        Play(QR_DATA_DIR, {name}, {.dropPowerups = false, .seed = 5});
        std::vector<std::pair<Vector3, float>> spawns;
        for (int i = 0; i < 6; ++i) {
            const Ship& ship = simulation->AddPlayer("Filler " + std::to_string(i), 0)->GetShip();
            spawns.emplace_back(ship.Position(), ship.GetHeading());
        }
        while (!simulation->Players().empty())
            simulation->RemovePlayer(simulation->Players().back().get());

        for (const auto& [at, heading] : spawns) {
            Player& pilot = Pilot();
            Place(pilot, at.x, at.y, heading);
            Hold(pilot, {kKeyThrust});
            Ship& ship = pilot.GetShip();
            events.kills.clear();
            for (int t = 0; t < 1500 && ship.IsAlive(); t += 10)
                simulation->Step(10);
            EXPECT_TRUE(ship.IsAlive()) << name << ": from (" << at.x << ", " << at.y << ") facing " << heading
                                        << (events.kills.empty() ? "" : events.kills[0].cause == DeathCause::Crashed
                                                                           ? ", crashed"
                                                                           : ", shot");
            simulation->RemovePlayer(&pilot);
        }
    }
}

TEST_F(SimulationTest, OwnShotsLeaveTheirShipAloneUntilArmedThenCountAgainstIt)
{
    Play(OpenMap(20));
    Player& pilot = Pilot("Pilot", 320, 320);
    Ship& ship = pilot.GetShip();
    ship.SetRounds(Ammunition::Mines, 1);
    Tap(pilot, kKeyMine);
    const GameObject* mine = Entity(events.Appeared(kTypeMine)[0]);
    const auto onTheMine = [&] {
        Place(pilot, mine->Position().x, mine->Position().y);
        Run(10);
    };
    onTheMine();
    EXPECT_TRUE(ship.IsAlive()) << "a mine just laid";
    Place(pilot, 100, 100);
    Run(1000);
    onTheMine();
    EXPECT_EQ(events.kills, (Kills{{pilot.ShipId(), 0, DeathCause::OwnWeapon}}));
    EXPECT_EQ(ship.GetScore(), -1);
}

// Alone on each shipped map, a ship turning in place with its gun held for
// a minute never meets its own bullets coming round the map.
TEST_F(SimulationTest, AShipTurningAndFiringAloneOnTheShippedMapsIsNeverKilledByItsOwnShots)
{
    const std::vector<std::string> maps = MapRotation::AllMaps(QR_DATA_DIR);
    ASSERT_GE(maps.size(), 9u);
    for (const std::string& name : maps) {
        Play(QR_DATA_DIR, {name}, Quiet());
        Player& pilot = Pilot();
        // Turning 19 ticks of every 20, its shots go out 68.4 degrees apart:
        // a hundred ways round before one repeats.
        for (int tick = 0; tick < 6000; ++tick) {
            if (tick % 20 == 0)
                Hold(pilot, {kKeyFire}, 10);
            else
                Hold(pilot, {kKeyFire, kKeyTurnLeft}, 10);
        }
        const auto own = std::ranges::count(events.kills, DeathCause::OwnWeapon, &RecordingListener::Kill::cause);
        EXPECT_EQ(own, 0) << name;
    }
}

// On a map a little wider than a screen's reach, a still ship's bullet or
// missile with nobody to chase comes round the map and passes it by; a
// ship that meets its own bullet within reach dies of it.
TEST_F(SimulationTest, OwnShotsComingRoundTheMapPassTheirShipThoseWithinReachDoNot)
{
    const std::pair<const char*, std::function<void(Player&)>> comingRound[] = {
        {"bullet", [&](Player& p) { Tap(p, kKeyFire); }},
        {"missile",
         [&](Player& p) {
             p.GetShip().SetRounds(Ammunition::Missiles, 1);
             Tap(p, kKeyMissile);
         }},
    };
    for (const auto& [what, fire] : comingRound) {
        Play(OpenMap(20));
        Player& pilot = Pilot("Pilot", 320, 320);
        fire(pilot);
        Run(10000);
        EXPECT_TRUE(events.kills.empty()) << what;
    }

    Play(OpenMap(20));
    Player& pilot = Pilot("Pilot", 320, 320);
    Tap(pilot, kKeyFire);
    Run(400);
    const GameObject* bullet = Entity(events.Appeared(kTypeBullet).back());
    Place(pilot, bullet->Position().x, bullet->Position().y + 60.0);
    Run(200);
    EXPECT_EQ(events.kills, (Kills{{pilot.ShipId(), 0, DeathCause::OwnWeapon}}));
}

// A ship coasting faster than it fires backwards leaves its shots drifting
// slowly its way: it laps the small map onto them again and again, long
// before they have gone far, and passes through.
TEST_F(SimulationTest, AShipOutrunningItsOwnShotsRoundTheMapPassesThroughThem)
{
    for (const bool triple : {false, true}) {
        Play(OpenMap(20));
        Player& pilot = Pilot("Pilot");
        Place(pilot, 320, 320, 180.0f, Vector3(0, 600, 0));
        if (triple)
            pilot.GetShip().AddFlags(kFlagTripleShot);
        Hold(pilot, {kKeyFire}, 2000);
        Hold(pilot, {}, 8000);
        EXPECT_TRUE(events.kills.empty()) << (triple ? "triple shots" : "bullets");
        EXPECT_GE(events.Appeared(kTypeBullet).size(), triple ? 30u : 10u) << "a shot each 200 ms";
    }
}

TEST_F(SimulationTest, ShipsThatMeetDieUnlessShieldedAndARamCountsForTheSurvivor)
{
    Play(OpenMap(20));
    Player& a = Pilot("A", 300, 320);
    Player& b = Pilot("B", 310, 320);
    Run(10);
    EXPECT_EQ(events.kills, (Kills{{a.ShipId(), 0, DeathCause::Collision}, {b.ShipId(), 0, DeathCause::Collision}}));
    EXPECT_EQ(std::tuple(a.GetShip().GetScore(), b.GetShip().GetScore()), std::tuple(0, 0));

    Run(4980);
    EXPECT_FALSE(a.GetShip().IsAlive());
    Run(20);
    EXPECT_TRUE(a.GetShip().IsAlive()) << "back 5 seconds after";
    EXPECT_EQ(events.spawned.back(), b.ShipId());
    Place(a, 300, 320, 0.0f, Vector3(100, 0, 0));
    Place(b, 322, 320);
    Hold(a, {kKeyShields}, 20);
    EXPECT_TRUE(a.GetShip().IsAlive());
    EXPECT_EQ(events.kills.back(), (Kill{b.ShipId(), a.ShipId(), DeathCause::Rammed}));
    EXPECT_EQ(a.GetShip().GetScore(), 1);
}

TEST_F(SimulationTest, TheRepulsorPushesShipsAndProjectilesAway)
{
    Play(OpenMap(20));
    Player& pusher = Pilot("Pusher", 320, 320);
    Player& pushed = Pilot("Pushed", 420, 320);
    pusher.GetShip().SetRounds(Ammunition::Repulsors, 1);
    simulation->PlacePowerup(kPowerupMine, Vector3(320, 420, 0));
    pushed.GetShip().SetRounds(Ammunition::Mines, 1);
    Tap(pushed, kKeyMine);
    Tap(pusher, kKeyRepulsor);
    EXPECT_GT(pushed.GetShip().Velocity().x, 0.0) << "away along +x";
    ASSERT_EQ(events.moved.size(), 1u) << "the mine, not the powerup";
    EXPECT_EQ(events.moved[0].type, kTypeMine);
    EXPECT_GT(events.moved[0].velocity.x, 0.0);
}

TEST_F(SimulationTest, ARoundEndsAtTheScoreLimitAndTheNextMapFollowsWithScoresBackAtZero)
{
    SimulationSettings settings = Quiet();
    settings.scoreLimit = 1;
    Play({{"One", OpenMap(20)}, {"Two", OpenMap(24)}}, settings);
    Player& shooter = Pilot("Shooter", 320, 200);
    Player& target = Pilot("Target", 320, 300);
    Hold(shooter, {kKeyFire});
    for (int t = 0; t < 1000 && !simulation->IsRoundOver(); t += 10)
        simulation->Step(10);
    ASSERT_TRUE(simulation->IsRoundOver());
    EXPECT_EQ(events.winners, (std::vector<int>{shooter.ShipId()}));

    const auto frozen = At(shooter.GetShip());
    Run(4990);
    EXPECT_TRUE(simulation->IsRoundOver()) << "the standings stay five seconds";
    EXPECT_EQ(At(shooter.GetShip()), frozen);
    Run(10);
    EXPECT_FALSE(simulation->IsRoundOver());
    EXPECT_EQ(events.rounds, (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(std::tuple(simulation->CurrentMap()->Columns(), shooter.GetShip().GetScore(),
                         shooter.GetShip().IsAlive(), target.GetShip().IsAlive()),
              std::tuple(24, 0, true, true));
}

TEST_F(SimulationTest, ARoundEndsAtItsTimeLimitAndABadMapInTheRotationIsSkipped)
{
    SimulationSettings settings = Quiet();
    settings.roundMs = 1000;
    // Which maps cannot be played is the rotation's rule (MapRotationTest).
    WriteMap(data, "One", OpenMap(20));
    WriteMap(data, "Two", OpenMap(10));
    Play(data.Path(), {"One", "Missing", "Two"}, settings);
    Run(990);
    EXPECT_FALSE(simulation->IsRoundOver());
    Run(10);
    EXPECT_TRUE(simulation->IsRoundOver());
    Run(settings.resultsMs);
    EXPECT_EQ(events.skipped, std::vector<std::string>{"Missing"});
    EXPECT_EQ(simulation->MapName(), "Two");
}

TEST_F(SimulationTest, PowerupsDropAtASteadyRateUpToTheCap)
{
    SimulationSettings settings = Quiet();
    settings.dropPowerups = true;
    Play(OpenMap(30), settings);
    Run(PowerupSpawner::kIntervalMs - 10);
    EXPECT_TRUE(events.Appeared(kTypePowerup).empty());
    Run(10);
    EXPECT_EQ(events.Appeared(kTypePowerup).size(), 1u);
    Run(PowerupSpawner::kIntervalMs * 20);
    EXPECT_EQ(simulation->EntityCount(), PowerupSpawner::kCap);
}

} // namespace
