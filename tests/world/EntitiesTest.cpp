#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "world/Bullet.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"

namespace {

Powerup* PowerupOf(int kind)
{
    static Powerup powerup;
    powerup.SetKind(kind);
    return &powerup;
}

TEST(Ship, DesignsSetOutlineAndNoseAndAnUnknownOneKeepsTheNose)
{
    Ship ship;
    EXPECT_EQ(ship.GetShipType(), 4) << "a new ship is design 4";
    for (int design = 0; design < Ship::kDesigns; ++design) {
        ship.SetShipType(design);
        EXPECT_FALSE(ship.Hull().empty());
        EXPECT_GT(ship.NoseOffset().y, 10.0) << "the nose points along +y";
    }
    const double nose = ship.NoseOffset().y;
    ship.SetShipType(9);
    ASSERT_EQ(ship.Hull().size(), 1u);
    EXPECT_TRUE(ship.Hull()[0].Empty());
    EXPECT_EQ(ship.NoseOffset().y, nose) << "an unknown design keeps the nose";
    EXPECT_STREQ(Ship::PictureOf(9), "Triship.tga");
}

TEST(Ship, NamesAreCopiedAndCutToTheBuffer)
{
    Ship ship;
    char buffer[8] = "xxxxxxx";
    ship.GetName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "xxxxxxx") << "no name, buffer untouched";
    std::string name = "Margaret";
    ship.SetName(name.c_str());
    name[0] = 'X';
    ship.SetName(nullptr);
    ship.GetName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Margare");
}

TEST(Ship, FuelAndScoreKeepTheirRanges)
{
    Ship ship;
    for (const auto& [before, cost, paid, after] :
         {std::tuple(8.0f, 8.0f, true, 0.0f), {50, 75, false, 50}, {50, 25, true, 25}}) {
        ship.SetFuel(before);
        EXPECT_EQ(ship.UseFuel(cost), paid) << "cost " << cost;
        EXPECT_EQ(ship.GetFuel(), after) << "cost " << cost;
    }
    // More than the tank holds is MessageHandling.ShipStateTakesOnlyValuesInRangeAndKillsAndLeavesFollow's.
    ship.SetFuel(-1.0f);
    EXPECT_EQ(ship.GetFuel(), 25.0f);
    ship.OnHit(PowerupOf(kPowerupTank));
    ship.SetMaxFuel(-5.0f);
    EXPECT_EQ(ship.GetMaxFuel(), 200.0f) << "the large tank stays";

    for (const auto& [given, kept] : {std::pair(127, 0), {-127, 0}, {-126, -126}, {126, 126}}) {
        ship.SetScore(static_cast<signed char>(given));
        EXPECT_EQ(ship.GetScore(), kept) << "only -126 to 126 are taken: " << given;
    }
}

TEST(Ship, PickupsAreCappedAndARespawnClearsThem)
{
    Ship ship;
    for (const auto& [kind, times] : {std::pair(kPowerupPlasma, 3), {kPowerupMissile, 4}, {kPowerupMine, 3},
                                      {kPowerupRepulse, 6}, {kPowerupTriple, 1}, {kPowerupCloak, 1}})
        for (int i = 0; i < times; ++i)
            ship.OnHit(PowerupOf(kind));
    EXPECT_EQ(std::tuple(ship.Rounds(Ammunition::PlasmaMines), ship.Rounds(Ammunition::Missiles),
                         ship.Rounds(Ammunition::Mines), ship.Rounds(Ammunition::Repulsors)),
              std::tuple(1, 6, 4, 5));
    EXPECT_EQ(ship.GetFlags(), kFlagTripleShot | kFlagCloakDevice);
    ship.SetFuel(10.0f);
    ship.OnHit(PowerupOf(kPowerupFuel));
    EXPECT_EQ(ship.GetFuel(), 100.0f);

    ship.OnHit(PowerupOf(kPowerupTank));
    ship.AddFlags(kFlagShield);
    ship.Kill();
    ship.Respawn(5, 5);
    EXPECT_FALSE(ship.IsAlive()) << "too soon";
    EXPECT_EQ(std::tuple(ship.GetMaxFuel(), ship.Rounds(Ammunition::Missiles), ship.GetFlags()),
              std::tuple(100.0f, 0, 0))
        << "a respawn resets the tank and stores whatever happens";
}

// A hit kills an unshielded ship; a shield pays its charge (8 a bullet, 40
// a missile) or, when the tank cannot, empties it and the ship dies. It
// stops mines, shrapnel and a gun's hull for free.
TEST(Ship, ShieldStopsBulletsAndMissilesForFuelWithoutItTheShipDies)
{
    Bullet bullet;
    Missile missile;
    Mine mine;
    PlasmaMine plasma;
    Shrapnel shrapnel;
    Turret gun;
    const std::tuple<bool, GameObject*, float, bool, float> cases[] = {
        {false, &bullet, 100, false, 100}, {true, &bullet, 100, true, 92},  {true, &missile, 40, true, 0},
        {true, &missile, 39, false, 0},    {false, &mine, 100, false, 100}, {true, &mine, 100, true, 100},
        {false, &plasma, 100, false, 100}, {true, &plasma, 100, true, 100}, {false, &shrapnel, 100, false, 100},
        {true, &shrapnel, 100, true, 100}, {false, &gun, 100, false, 100},  {true, &gun, 100, true, 100}};
    for (const auto& [shielded, other, fuel, alive, left] : cases) {
        SCOPED_TRACE(testing::Message() << "type " << other->GetType() << ", shield " << shielded << ", fuel " << fuel);
        Ship ship;
        ship.ForceRespawn(0, 0);
        ship.AddFlags(shielded ? kFlagShield : 0);
        ship.SetFuel(fuel);
        ship.OnHit(other);
        EXPECT_EQ(std::tuple(ship.IsAlive(), ship.GetFuel()), std::tuple(alive, left));
    }
}

// Shielded ships meet when their circles do and bounce off for fuel.
TEST(Ship, ShieldedShipsMeetByTheirCirclesAndPayForTheBounce)
{
    Ship a, b;
    a.ForceRespawn(100, 100);
    b.ForceRespawn(131, 100);
    EXPECT_FALSE(a.Collides(&b, 1024, 1024)) << "the bodies are far apart";
    a.AddFlags(kFlagShield);
    b.AddFlags(kFlagShield);
    EXPECT_TRUE(a.Collides(&b, 1024, 1024));
    b.SetPosition(Vector3(133, 100, 0));
    EXPECT_FALSE(a.Collides(&b, 1024, 1024));

    // Below the flat back edge of design 3, moving along +y:
    // |v0 + w|^2 / 768^2 = 0.25, times 10.
    a.ForceRespawn(100, 115);
    a.AddFlags(kFlagShield);
    a.SetVelocity(Vector3(0, 384, 0));
    b.ForceRespawn(100, 100);
    b.SetShipType(3);
    a.OnHit(&b);
    EXPECT_NEAR(a.GetFuel(), 97.5f, 1e-4);
    EXPECT_NEAR(a.Velocity().y, -384.0, 1e-6);
}

TEST(Lifetimes, EndOneMillisecondAfterTheirSpanEvenPastFortyNineDays)
{
    Lifetime life(15000);
    life.Start(std::uint64_t{0xFFFFFF00u});
    EXPECT_EQ(std::tuple(life.Over(0xFFFFFF00ull + 15000), life.Over(0xFFFFFF00ull + 15001)), std::tuple(false, true))
        << "where a 32-bit millisecond count would wrap";
}

// That a bare ship takes one and a shielded one does not is
// SimulationTest.APowerupTouchedIsTakenAndItsTakerToldAtOnceUnlessShielded.
TEST(Powerup, UnknownKindsAreTripleShotAndShieldsKnockThemAway)
{
    Powerup powerup;
    for (int kind : {0, 8, -1}) {
        powerup.SetKind(kind);
        EXPECT_EQ(powerup.GetKind(), 0);
    }
    EXPECT_STREQ(Powerup::PictureOf(-1), "pup_triple.tga");

    Ship ship;
    ship.ForceRespawn(0, 0);
    ship.AddFlags(kFlagShield);
    powerup.ForceRespawn(0, 0);
    powerup.SetVelocity(Vector3(1, 2, 0));
    powerup.OnHit(&ship);
    EXPECT_EQ(std::tuple(powerup.IsAlive(), powerup.Velocity().y), std::tuple(true, -2.0)) << "a shield knocks it away";
}

TEST(Turret, AnyHitKillsItAndWithoutAFacingItNeverCollides)
{
    Turret turret;
    EXPECT_TRUE(turret.ReadyToRespawn()) << "a new turret may come alive at once";
    turret.SetDirection(kTurretRight);
    turret.SetPosition(Vector3(40, 50, 0));
    turret.ForceRespawn(0, 0);
    turret.OnHit(nullptr);
    EXPECT_FALSE(turret.IsAlive()) << "anything kills it";

    turret.SetDirection(4);
    EXPECT_EQ(std::tuple(turret.Hull().empty(), Turret::AlivePicture(4)), std::tuple(true, nullptr))
        << "no facing, no outline";
    turret.ForceRespawn(0, 0);
    Ship onTop;
    onTop.ForceRespawn(40, 50);
    EXPECT_FALSE(turret.Collides(&onTop, 4096, 4096)) << "without an outline it never collides";
}

// A mine rebounds off anything but a ship, which spends it; shrapnel is
// gone on any contact.
TEST(Shrapnel, TwoVariantsAndGoneOnAnyContactWhereAMineRebounds)
{
    Shrapnel shrapnel;
    shrapnel.SetVariant(2);
    EXPECT_EQ(shrapnel.GetVariant(), 0) << "only variants 0 and 1";
    Mine mine;
    mine.ForceRespawn(0, 0);
    mine.SetVelocity(Vector3(4, 0, 0));
    shrapnel.ForceRespawn(0, 0);
    mine.OnHit(&shrapnel);
    shrapnel.OnHit(&mine);
    EXPECT_EQ(std::tuple(mine.IsAlive(), mine.Velocity().x, shrapnel.IsAlive()), std::tuple(true, -4.0, false))
        << "no edge touched: the mine's velocity reversed";
    Ship ship;
    mine.OnHit(&ship);
    EXPECT_FALSE(mine.IsAlive());
}

// Towards the target's nearest image, at most 450 degrees a second; a
// target straight ahead only thrusts (70 units a second per second). With
// its target dead a missile flies straight.
TEST(Missile, SteersTowardsTheNearestImageWithinItsRateAndFliesOnWhenTheTargetDies)
{
    Missile missile;
    Ship target;
    missile.SetHomingTarget(&target);
    for (const auto& [x, heading, targetX, targetY, ms, expected] :
         {std::tuple(500.0f, 0.0f, 500.0f, 600.0f, 100, 0.0f), {500, 0, 500, 400, 16, 7.2f}, {990, 270, 10, 500, 16, 0}}) {
        missile.ForceRespawn(x, 500);
        missile.SetHeading(heading);
        target.ForceRespawn(targetX, targetY);
        missile.Steer(ms, 1000, 1000);
        const float turned = std::fabs(missile.GetHeading() - heading);
        EXPECT_NEAR(std::min(turned, 360.0f - turned), expected, 1e-4) << "target at " << targetX;
        if (ms == 100) {
            EXPECT_NEAR(missile.Velocity().y, 70.0, 1e-6);
        }
    }
    missile.SetHeading(0);
    missile.Turn(-10.0f, 1000);
    EXPECT_EQ(missile.GetHeading(), 350.0f);
    missile.Turn(1000.0f, 1000);
    EXPECT_EQ(missile.GetHeading(), 80.0f) << "450 at most in a second";

    missile.ForceRespawn(500, 500);
    target.Kill();
    missile.SetVelocity(Vector3(3, 4, 0));
    missile.Steer(16, 1000, 1000);
    EXPECT_EQ(std::tuple(missile.Velocity().x, missile.GetHeading()), std::tuple(3.0, 0.0f));
}

} // namespace
