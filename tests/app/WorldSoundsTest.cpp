#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/WorldSounds.h"
#include "world/Bullet.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Turret.h"
#include "world/World.h"

namespace {

// A world with the own ship at (1000, 1000) and another ship 400 to its
// right, already looked at once.
class WorldSoundsTest : public testing::Test {
protected:
    void SetUp() override
    {
        own = AddShip(1, 1000.0f, 1000.0f, true);
        other = AddShip(2, 1400.0f, 1000.0f, false);
        Heard();
    }

    Ship* AddShip(int id, float x, float y, bool local)
    {
        auto made = std::make_unique<Ship>();
        made->SetId(id);
        made->SetLocal(local);
        made->ForceRespawn(x, y);
        return world.AddShip(std::move(made));
    }

    template <typename T>
    T* AddEntity(int id, float x, float y)
    {
        auto made = std::make_unique<T>();
        made->ForceRespawn(x, y);
        return static_cast<T*>(world.AddEntity(std::move(made), id));
    }

    // What one look hears, as (event, dx) pairs.
    std::vector<std::pair<SoundEvent, float>> Heard()
    {
        SoundQueue queue;
        sounds.Look(world, queue);
        std::vector<std::pair<SoundEvent, float>> heard;
        for (const SoundQueue::Entry& entry : queue)
            heard.emplace_back(entry.event, entry.dx);
        return heard;
    }

    using Heard_ = std::vector<std::pair<SoundEvent, float>>;
    World world;
    WorldSounds sounds;
    Ship* own = nullptr;
    Ship* other = nullptr;
};

TEST_F(WorldSoundsTest, ShotsAreHeardAtTheShipThatFired)
{
    AddEntity<Bullet>(10, 1010.0f, 1000.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::Shot, 0.0f}}));
    AddEntity<Bullet>(11, 1420.0f, 1000.0f);
    AddEntity<Missile>(12, 1390.0f, 1010.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::ShotOther, 400.0f}, {SoundEvent::MissileLaunch, 400.0f}}));
    AddEntity<Mine>(13, 1000.0f, 1010.0f);
    AddEntity<PlasmaMine>(14, 1000.0f, 990.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::MineDrop, 0.0f}, {SoundEvent::PlasmaMineDrop, 0.0f}}));
    // Nothing is heard twice, nor what comes into sight far from any ship.
    AddEntity<Bullet>(15, 3000.0f, 3000.0f);
    EXPECT_TRUE(Heard().empty());
    // The first look after forgetting only learns.
    sounds.Forget();
    AddEntity<Bullet>(50, 1010.0f, 1000.0f);
    other->Kill();
    EXPECT_TRUE(Heard().empty());
    AddEntity<Bullet>(51, 1010.0f, 1000.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::Shot, 0.0f}}));
}

TEST_F(WorldSoundsTest, ATripleShotIsOneSoundAndATurretFiresItsOwn)
{
    other->AddFlags(kFlagTripleShot);
    for (int id = 20; id < 23; ++id)
        AddEntity<Bullet>(id, 1410.0f, 1000.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::TripleShot, 400.0f}}));

    auto turret = std::make_unique<Turret>();
    turret->SetId(5);
    turret->SetPosition(Vector3(1000.0, 1300.0, 0.0));
    turret->ForceRespawn(0.0f, 0.0f);
    Turret* gun = world.AddTurret(std::move(turret));
    Heard();
    AddEntity<Bullet>(30, 1000.0f, 1250.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::TurretShot, 0.0f}}));
    gun->Kill();
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::TurretWrecked, 0.0f}}));
}

TEST_F(WorldSoundsTest, WhatEndsIsHeardByHowItEnds)
{
    Missile* missile = AddEntity<Missile>(40, 1700.0f, 1000.0f);
    PlasmaMine* plasma = AddEntity<PlasmaMine>(41, 600.0f, 1000.0f);
    Bullet* bullet = AddEntity<Bullet>(42, 1000.0f, 1700.0f);
    Mine* onShield = AddEntity<Mine>(43, 1800.0f, 1000.0f);
    Powerup* powerup = AddEntity<Powerup>(44, 1010.0f, 1000.0f);
    Heard();
    onShield->SetPosition(Vector3(1420.0, 1000.0, 0.0));
    other->AddFlags(kFlagShield);
    missile->Kill();
    plasma->Kill();
    bullet->Kill(); // a bullet ending on a wall is not heard
    onShield->Kill();
    powerup->Kill();
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::Blast, 700.0f},
                               {SoundEvent::PlasmaBurst, -400.0f},
                               {SoundEvent::ShieldHit, 400.0f},
                               {SoundEvent::Powerup, 10.0f}}));

    // A shielded ship's own shot ending at once on a wall beside it does
    // not ring its shield.
    Bullet* own = AddEntity<Bullet>(46, 1410.0f, 1000.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::ShotOther, 400.0f}}));
    own->Kill();
    EXPECT_TRUE(Heard().empty());

    // One the server ended for outliving its time makes no blast.
    Mine* old = AddEntity<Mine>(45, 1200.0f, 1200.0f);
    Heard();
    world.Advance(static_cast<int>(kMineLifetime));
    old->Kill();
    EXPECT_TRUE(Heard().empty());
}

TEST_F(WorldSoundsTest, ShipsAreHeardDyingRespawningCloakingAndBouncing)
{
    other->Kill();
    own->Kill();
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::OwnShipExplode, 0.0f}, {SoundEvent::ShipExplode, 400.0f}}));
    own->ForceRespawn(1000.0f, 1000.0f);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::Respawn, 0.0f}}));
    own->AddFlags(kFlagCloaked);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::CloakOn, 0.0f}}));
    own->SetFlags(kFlagShield);
    own->SetVelocity(Vector3(3.0, 0.0, 0.0));
    own->SetRounds(Ammunition::Repulsors, 2);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::CloakOff, 0.0f}}));
    own->SetVelocity(Vector3(-2.5, 0.5, 0.0));
    own->SetRounds(Ammunition::Repulsors, 1);
    EXPECT_EQ(Heard(), (Heard_{{SoundEvent::Repulsor, 0.0f}, {SoundEvent::ShieldRebound, 0.0f}}));
}

} // namespace
