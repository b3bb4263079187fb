#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "world/Bullet.h"
#include "world/Missile.h"
#include "world/Powerup.h"
#include "world/Ship.h"

namespace {

Powerup* PowerupOf(int kind)
{
    static Powerup powerup;
    powerup.SetKind(kind);
    return &powerup;
}

TEST(Ship, DesignsSetOutlineNoseAndTuning)
{
    Ship ship;
    EXPECT_EQ(ship.GetShipType(), 4) << "a new ship is design 4";
    EXPECT_EQ(ship.Hull().size(), 2u);
    for (int design = 0; design < Ship::kDesigns; ++design) {
        ship.SetShipType(design);
        EXPECT_FALSE(ship.Hull().empty());
        EXPECT_GT(ship.NoseOffset().y, 10.0) << "the nose points along +y";
    }
    ship.SetShipType(0);
    EXPECT_EQ(ship.Hull()[0].Points().size(), 3u);
    EXPECT_EQ(ship.NoseOffset().x, -1.0);
    EXPECT_EQ(ship.GetRadius(), 16.0f);
    EXPECT_EQ(ship.GetMaxSpeed(), 768.0f);
    EXPECT_EQ(ship.GetFuel(), 100.0f);
    EXPECT_EQ(ship.GetFuelSearchRadius(), 2);
    EXPECT_EQ(ship.ShieldHull().size(), 1u);
    EXPECT_EQ(ship.ShieldHull()[0].Points().size(), 8u);

    ship.SetShipType(9);
    ASSERT_EQ(ship.Hull().size(), 1u);
    EXPECT_TRUE(ship.Hull()[0].Empty());
    EXPECT_EQ(ship.NoseOffset().x, -1.0) << "an unknown design keeps the nose";
    EXPECT_STREQ(Ship::PictureOf(9), "Triship.tga");
    EXPECT_STREQ(Ship::PictureOf(1), "Curveship.tga");
}

TEST(Ship, FuelCharges)
{
    Ship ship;
    ship.SetFuel(8.0f);
    EXPECT_TRUE(ship.UseFuel(7, 1.0f));
    EXPECT_EQ(ship.GetFuel(), 0.0f);
    ship.SetFuel(50.0f);
    EXPECT_FALSE(ship.UseFuel(11, 1.0f));
    EXPECT_FALSE(ship.UseFuel(-1, 1.0f));
    EXPECT_FALSE(ship.UseFuel(10, 1.0f)) << "75 is more than 50";
    EXPECT_EQ(ship.GetFuel(), 50.0f);
    EXPECT_TRUE(ship.UseFuel(6, 2.5f));
    EXPECT_EQ(ship.GetFuel(), 25.0f);
}

TEST(Ship, SettersKeepTheirRanges)
{
    Ship ship;
    ship.SetFuel(150.0f);
    EXPECT_EQ(ship.GetFuel(), 100.0f);
    ship.SetFuel(-1.0f);
    EXPECT_EQ(ship.GetFuel(), 100.0f);
    ship.OnHit(PowerupOf(kPowerupTank));
    ship.SetFuel(150.0f);
    EXPECT_EQ(ship.GetFuel(), 150.0f) << "a large tank takes it";

    ship.SetScore(127);
    ship.SetScore(-127);
    EXPECT_EQ(ship.GetScore(), 0);
    ship.SetScore(126);
    EXPECT_EQ(ship.GetScore(), 126);
    ship.SetScore(-126);
    EXPECT_EQ(ship.GetScore(), -126);
    ship.SetMaxFuel(-5.0f);
    EXPECT_EQ(ship.GetMaxFuel(), 200.0f);
}

TEST(Ship, PickupsAreCapped)
{
    Ship ship;
    for (int i = 0; i < 3; ++i)
        ship.OnHit(PowerupOf(kPowerupPlasma));
    EXPECT_EQ(ship.GetPlasmaMines(), 1);
    for (int i = 0; i < 4; ++i)
        ship.OnHit(PowerupOf(kPowerupMissile));
    EXPECT_EQ(ship.GetMissiles(), 6);
    for (int i = 0; i < 3; ++i)
        ship.OnHit(PowerupOf(kPowerupMine));
    EXPECT_EQ(ship.GetMines(), 4);
    for (int i = 0; i < 6; ++i)
        ship.OnHit(PowerupOf(kPowerupRepulse));
    EXPECT_EQ(ship.GetRepulsors(), 5);
    ship.OnHit(PowerupOf(kPowerupTriple));
    ship.OnHit(PowerupOf(kPowerupCloak));
    EXPECT_EQ(ship.GetFlags(), kFlagTripleShot | kFlagCloakDevice);
    ship.SetFuel(10.0f);
    ship.OnHit(PowerupOf(kPowerupFuel));
    EXPECT_EQ(ship.GetFuel(), 100.0f);
}

TEST(Ship, UnshieldedShipDiesOnAnythingButAPowerup)
{
    Ship ship;
    ship.ForceRespawn(0, 0);
    Bullet bullet;
    ship.OnHit(&bullet);
    EXPECT_FALSE(ship.IsAlive());
}

TEST(Ship, ShieldStopsBulletsAndMissilesForFuel)
{
    Ship ship;
    ship.ForceRespawn(0, 0);
    ship.AddFlags(kFlagShield);
    Missile missile;
    ship.SetFuel(40.0f);
    ship.OnHit(&missile);
    EXPECT_TRUE(ship.IsAlive());
    EXPECT_EQ(ship.GetFuel(), 0.0f);

    ship.SetFuel(39.0f);
    ship.OnHit(&missile);
    EXPECT_FALSE(ship.IsAlive());
    EXPECT_EQ(ship.GetFuel(), 0.0f);

    ship.ForceRespawn(0, 0);
    ship.AddFlags(kFlagShield);
    Bullet bullet;
    ship.OnHit(&bullet);
    EXPECT_TRUE(ship.IsAlive());
    EXPECT_EQ(ship.GetFuel(), 92.0f);
    ship.OnHit(PowerupOf(kPowerupMissile));
    EXPECT_EQ(ship.GetMissiles(), 0) << "a shielded ship takes no pickups";
}

TEST(Ship, ShieldedBounceIsChargedByTheImpact)
{
    // Below the flat back edge of design 3, moving along +y.
    Ship ship;
    ship.ForceRespawn(100, 115);
    ship.AddFlags(kFlagShield);
    ship.SetVelocity(Vector3(0, 384, 0));
    Ship other;
    other.ForceRespawn(100, 100);
    other.SetShipType(3);
    ship.OnHit(&other);
    // |v0 + w|^2 / 768^2 = 0.25, times 10.
    EXPECT_NEAR(ship.GetFuel(), 97.5f, 1e-4);
    EXPECT_NEAR(ship.Velocity().y, -384.0, 1e-6);
}

TEST(Ship, ShieldedShipsMeetWhenTheirCirclesDo)
{
    Ship a;
    Ship b;
    a.ForceRespawn(100, 100);
    b.ForceRespawn(131, 100);
    EXPECT_FALSE(a.Collides(&b, 1024, 1024)) << "the bodies are far apart";
    a.AddFlags(kFlagShield);
    b.AddFlags(kFlagShield);
    EXPECT_TRUE(a.Collides(&b, 1024, 1024));
    b.ForceRespawn(133, 100);
    b.AddFlags(kFlagShield);
    EXPECT_FALSE(a.Collides(&b, 1024, 1024));
}

TEST(Ship, RespawnGivesAStandardEmptyShip)
{
    Ship ship;
    ship.OnHit(PowerupOf(kPowerupTank));
    ship.OnHit(PowerupOf(kPowerupMissile));
    ship.AddFlags(kFlagShield);
    ship.Kill();
    ship.Respawn(5, 5);
    EXPECT_FALSE(ship.IsAlive()) << "too soon";
    EXPECT_EQ(ship.GetMaxFuel(), 100.0f) << "the tank is reset whatever happens";
    EXPECT_EQ(ship.GetMissiles(), 0);
    EXPECT_EQ(ship.GetFlags(), 0);
}

TEST(Ship, NamesAreCopied)
{
    Ship ship;
    char buffer[8] = "xxxxxxx";
    ship.GetName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "xxxxxxx") << "no name, buffer untouched";
    std::string name = "Margaret";
    ship.SetName(name.c_str());
    name[0] = 'X';
    ship.GetName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Margare");
    ship.SetName(nullptr);
    EXPECT_STREQ(ship.Name(), "Margaret");
}

} // namespace
