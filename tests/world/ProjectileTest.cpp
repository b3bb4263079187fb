#include <gtest/gtest.h>

#include "world/Bullet.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"

namespace {

TEST(Lifetimes, EndOneMillisecondAfterTheirSpan)
{
    Lifetime life(15000);
    life.SetCreatedAt(1000);
    EXPECT_FALSE(life.Over(16000));
    EXPECT_TRUE(life.Over(16001));
    life.SetCreatedAt(0xFFFFFF00u);
    EXPECT_FALSE(life.Over(0x100u)) << "across the tick counter's wrap";
    EXPECT_TRUE(life.Over(15000u + 0x100u + 1));
}

template <typename T>
void ExpectUpdateExpires(T& entity, std::uint32_t lifetime)
{
    entity.ForceRespawn(0, 0);
    entity.Life().SetCreatedAt(platform::TickCount() - lifetime + 1000);
    entity.Update(16);
    EXPECT_TRUE(entity.IsAlive()) << "within its lifetime";
    entity.Life().SetCreatedAt(platform::TickCount() - lifetime - 1);
    entity.Update(16);
    EXPECT_FALSE(entity.IsAlive()) << "past its lifetime";
}

TEST(Lifetimes, EveryShortLivedEntityExpires)
{
    Bullet bullet;
    ExpectUpdateExpires(bullet, kBulletLifetime);
    Mine mine;
    ExpectUpdateExpires(mine, kMineLifetime);
    PlasmaMine plasma;
    ExpectUpdateExpires(plasma, kMineLifetime);
    Powerup powerup;
    ExpectUpdateExpires(powerup, kPowerupLifetime);
    Shrapnel shrapnel;
    ExpectUpdateExpires(shrapnel, kShrapnelLifetime);
}

TEST(Mine, SpentOnShipsReboundsOffAnythingElse)
{
    Ship ship;
    Mine mine;
    mine.ForceRespawn(0, 0);
    mine.SetVelocity(Vector3(4, 0, 0));
    Bullet bullet;
    mine.OnHit(&bullet);
    EXPECT_TRUE(mine.IsAlive());
    EXPECT_EQ(mine.Velocity().x, -4.0) << "no edge touched: reversed";
    mine.OnHit(&ship);
    EXPECT_FALSE(mine.IsAlive());

    PlasmaMine plasma;
    EXPECT_EQ(plasma.GetType(), kTypePlasmaMine);
    EXPECT_EQ(plasma.GetRadius(), mine.GetRadius());
    EXPECT_EQ(plasma.Hull()[0].Points().size(), mine.Hull()[0].Points().size());
}

TEST(Powerup, KindsAndContact)
{
    Powerup powerup;
    for (int kind : {0, 8, -1}) {
        powerup.SetKind(kind);
        EXPECT_EQ(powerup.GetKind(), 0);
        EXPECT_STREQ(Powerup::PictureOf(powerup.GetKind()), "pup_triple.tga");
    }
    powerup.SetKind(7);
    EXPECT_STREQ(Powerup::PictureOf(powerup.GetKind()), "pup_repulse.tga");
    EXPECT_EQ(powerup.GetRadius(), 0.0f);

    Ship ship;
    ship.ForceRespawn(0, 0);
    ship.AddFlags(kFlagShield);
    powerup.ForceRespawn(0, 0);
    powerup.SetVelocity(Vector3(1, 2, 0));
    powerup.OnHit(&ship);
    EXPECT_TRUE(powerup.IsAlive()) << "a shield knocks it away";
    EXPECT_EQ(powerup.Velocity().y, -2.0);
    ship.ClearFlags();
    powerup.OnHit(&ship);
    EXPECT_FALSE(powerup.IsAlive());
}

TEST(Turret, FacingsRespawnInPlace)
{
    Turret turret;
    EXPECT_TRUE(turret.ReadyToRespawn()) << "a new turret may come alive at once";
    turret.SetDirection(kTurretRight);
    EXPECT_EQ(turret.MuzzleOffset().x, 5.0);
    EXPECT_EQ(turret.GetRadius(), 32.0f);
    EXPECT_STREQ(Turret::AlivePicture(kTurretLeft), "turret_ok_left.tga");
    EXPECT_STREQ(Turret::DeadPicture(kTurretDown), "turret_dead_down.tga");

    turret.SetPosition(Vector3(40, 50, 0));
    turret.ForceRespawn(0, 0);
    EXPECT_TRUE(turret.IsAlive());
    EXPECT_EQ(turret.Position().x, 40.0) << "respawn keeps its place";
    turret.OnHit(nullptr);
    EXPECT_FALSE(turret.IsAlive());
    turret.TickDead(14999);
    turret.Respawn(1, 1);
    EXPECT_FALSE(turret.IsAlive());
    turret.TickDead(1);
    turret.Respawn(1, 1);
    EXPECT_TRUE(turret.IsAlive());
    EXPECT_EQ(turret.Position().y, 50.0);

    turret.SetDirection(4);
    ASSERT_EQ(turret.Hull().size(), 1u);
    EXPECT_TRUE(turret.Hull()[0].Empty());
    EXPECT_EQ(Turret::AlivePicture(4), nullptr);
}

TEST(Shrapnel, VariantsAndContact)
{
    Shrapnel shrapnel;
    shrapnel.SetVariant(2);
    EXPECT_EQ(shrapnel.GetVariant(), 0);
    shrapnel.SetVariant(1);
    EXPECT_EQ(shrapnel.Hull()[0].Points().size(), 4u);
    shrapnel.ForceRespawn(0, 0);
    Powerup anything;
    shrapnel.OnHit(&anything);
    EXPECT_FALSE(shrapnel.IsAlive());
}

TEST(Bullet, TouchingCirclesNeedTouchingSquares)
{
    Bullet a;
    Bullet b;
    a.SetPosition(Vector3(10, 10, 0));
    b.SetPosition(Vector3(13.9, 10, 0));
    EXPECT_FALSE(a.Collides(&b, 1000, 1000)) << "circles touch, squares 1.9 apart";
    b.SetPosition(Vector3(11.5, 10.5, 0));
    EXPECT_TRUE(a.Collides(&b, 1000, 1000));
}

class MissileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        missile.ForceRespawn(500, 500);
        target.ForceRespawn(500, 600); // straight ahead at heading 0
        missile.SetHomingTarget(&target);
    }
    Missile missile;
    Ship target;
};

TEST_F(MissileTest, TargetAheadOnlyThrusts)
{
    missile.Steer(100, 1000, 1000, missile.Life().CreatedAt());
    EXPECT_EQ(missile.GetHeading(), 0.0f);
    EXPECT_NEAR(missile.Velocity().y, 70.0, 1e-6);
}

TEST_F(MissileTest, TurnIsLimitedByTheRate)
{
    target.ForceRespawn(500, 400); // straight behind
    missile.Steer(16, 1000, 1000, missile.Life().CreatedAt());
    const float turned = missile.GetHeading() > 180.0f ? 360.0f - missile.GetHeading() : missile.GetHeading();
    EXPECT_NEAR(turned, 7.2f, 1e-4);
}

TEST_F(MissileTest, ChasesAcrossTheSeam)
{
    missile.ForceRespawn(990, 500);
    missile.SetHeading(270); // facing +x
    target.ForceRespawn(10, 500);
    missile.Steer(16, 1000, 1000, missile.Life().CreatedAt());
    EXPECT_EQ(missile.GetHeading(), 270.0f) << "the target is just ahead, across the edge";
}

TEST_F(MissileTest, DeadTargetMeansStraightFlightForever)
{
    target.Kill();
    missile.SetVelocity(Vector3(3, 4, 0));
    missile.Steer(16, 1000, 1000, missile.Life().CreatedAt() + 100000);
    EXPECT_TRUE(missile.IsAlive());
    EXPECT_EQ(missile.Velocity().x, 3.0);
    EXPECT_EQ(missile.GetHeading(), 0.0f);
    target.ForceRespawn(500, 600);
    missile.Steer(16, 1000, 1000, missile.Life().CreatedAt() + 30001);
    EXPECT_FALSE(missile.IsAlive()) << "with a live target its lifetime runs";
}

TEST_F(MissileTest, TurnWrapsTheHeading)
{
    missile.Turn(-10.0f, 1000);
    EXPECT_EQ(missile.GetHeading(), 350.0f);
    missile.Turn(1000.0f, 1000);
    EXPECT_EQ(missile.GetHeading(), 80.0f) << "450 at most in a second";
}

} // namespace
