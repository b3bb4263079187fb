#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/MapFile.h"
#include "support/TempDir.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Turret.h"
#include "world/World.h"

namespace {

// A world on a 10 x 10 map (320 x 320 units) with one fuel block at (0, 0).
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MapRows rows = Rows(10, 10);
        rows[0][0] = kCellFuel;
        world.SetMap(MapOf(rows));
        ASSERT_TRUE(world.GetMap()->HasCells());
        local = world.AddShip(std::make_unique<Ship>());
        local->SetLocal(true);
        world.MoveShipToFront(local);
    }

    GameObject* Entity(int id, double x, double y)
    {
        GameObject* bullet = world.AddEntity(std::make_unique<Bullet>(), id);
        bullet->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        bullet->SetPosition(Vector3(x, y, 0));
        bullet->SetTarget(Vector3(x, y, 0));
        return bullet;
    }

    World world;
    Ship* local = nullptr;
};

TEST_F(WorldTest, UpdateMovesByVelocityThenPullsTowardsTheNearestImageOfTheTarget)
{
    GameObject* entity = Entity(1, 100, 100);
    entity->SetVelocity(Vector3(100, 0, 0));
    entity->SetTarget(Vector3(120, 100, 0));
    world.Update(500);
    EXPECT_NEAR(entity->Position().x, 135.0, 1e-9) << "100 + 50 = 150, then half way back to 120";
    world.Update(0);
    EXPECT_NEAR(entity->Position().x, 135.0, 1e-9) << "no time, no motion";

    GameObject* nearSeam = Entity(2, 315, 100);
    nearSeam->SetTarget(Vector3(5, 100, 0));
    world.Update(100);
    EXPECT_NEAR(nearSeam->Position().x, 316.0, 1e-9) << "the target's image at 325 is 10 away: a tenth in 100 ms";
    EXPECT_EQ(nearSeam->Target().x, 5.0) << "the stored target is not moved";

    nearSeam->SetTarget(Vector3(1e300, -1e300, 0));
    world.Update(16);
    EXPECT_GE(nearSeam->Position().x, 0.0) << "a far-off target neither hangs nor throws it off the map";
    EXPECT_LE(nearSeam->Position().x, 320.0);
}

// A snap puts everything on its target, or one ship alone while the rest
// glide on; either lasts one frame.
TEST_F(WorldTest, ASnapPlacesEverythingOrOneShipOnItsTargetForOneFrame)
{
    GameObject* entity = Entity(1, 100, 100);
    entity->SetTarget(Vector3(200, 50, 0));
    Ship* spawned = world.AddShip(std::make_unique<Ship>());
    world.SetShipId(spawned, 7);
    spawned->ForceRespawn(100, 200);
    local->ForceRespawn(10, 10);
    local->SetTarget(Vector3(330, 20, 0));
    world.RequestSnap();
    world.Update(16);
    EXPECT_EQ(std::tuple(entity->Position().x, entity->Position().y, local->Position().x), std::tuple(200.0, 50.0, 10.0))
        << "the ship snapped to 330, then wrapped";

    entity->SetTarget(Vector3(100, 50, 0));
    local->SetTarget(Vector3(40, 10, 0));
    spawned->SetTarget(Vector3(150, 200, 0));
    world.RequestSnap(7);
    world.Update(16);
    EXPECT_EQ(std::tuple(spawned->Position().x, entity->Position().x > 150.0, local->Position().x < 20.0),
              std::tuple(150.0, true, true))
        << "the rest glide: the snap of all was for one frame only";
    spawned->SetTarget(Vector3(250, 200, 0));
    world.Update(16);
    EXPECT_LT(spawned->Position().x, 160.0) << "the snap of one was for one frame only";
}

// Finding a turret by its id is MessageHandling.SpawnsAndTurretsAreMadeOnceAndTilesNeedAMap's.
TEST_F(WorldTest, DeadTurretComesBackWhereItStood)
{
    auto made = std::make_unique<Turret>();
    made->SetDirection(kTurretDown);
    made->SetPosition(Vector3(64, 96, 0));
    Turret* turret = world.AddTurret(std::move(made));
    turret->Kill();
    world.Update(14990);
    EXPECT_FALSE(turret->IsAlive());
    world.Update(10);
    EXPECT_EQ(std::tuple(turret->IsAlive(), turret->Position().x, world.TurretCount()), std::tuple(true, 64.0, 1u))
        << "back after 15 s where it stood; turrets are never swept";
}

// The clock is the frames stepped; what a report adds starts its life at
// the world's now, so its lifetime runs with the frames drawn after.
TEST_F(WorldTest, TheClockRunsWithTheFramesAndLifetimesStartAtTheWorldsNow)
{
    world.Update(300);
    world.Update(0);
    world.Advance(200);
    EXPECT_EQ(world.Now(), 500u);
    auto* bullet = static_cast<Bullet*>(Entity(1, 10, 10));
    EXPECT_EQ(bullet->Life().CreatedAt(), 500u);
}

// The server's sweep only deletes the dead: nothing moves, no turret comes
// back and the clock stands. The read-only walks move no cursor.
TEST_F(WorldTest, SweepDeletesTheDeadAloneAndReadOnlyWalksLeaveTheCursorsBe)
{
    GameObject* moving = Entity(1, 100, 100);
    moving->SetVelocity(Vector3(100, 0, 0));
    Entity(2, 20, 20)->Kill();
    auto made = std::make_unique<Turret>();
    made->SetPosition(Vector3(64, 96, 0));
    Turret* turret = world.AddTurret(std::move(made));
    turret->Kill();
    turret->TickDead(Turret::kRespawnDelay);
    world.Sweep();
    EXPECT_EQ(std::tuple(world.EntityCount(), world.FindEntity(2), moving->Position().x, turret->IsAlive(), world.Now()),
              std::tuple(1u, nullptr, 100.0, false, 0u));

    Entity(3, 30, 30);
    EXPECT_EQ(world.EntitiesBegin(), moving);
    const World& seen = world;
    int entities = 0;
    for (const GameObject* entity : seen.Entities())
        entities += entity->IsAlive() ? 1 : 0;
    int ships = 0;
    for (const Ship* ship : seen.Ships())
        ships += ship == local ? 1 : 0;
    int turrets = 0;
    for (const Turret* held : seen.Turrets())
        turrets += held == turret ? 1 : 0;
    EXPECT_EQ(std::tuple(entities, ships, turrets), std::tuple(2, 1, 1));
    const GameObject* next = world.EntitiesNext();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetId(), 3) << "the cursor walk goes on where it was";
}

// Killed entities are swept while dead ships stay, and a swept entity's
// id finds the next holder. Which holder an id finds is the index's rule.
TEST_F(WorldTest, SweepsKilledEntitiesKeepsDeadShipsAndFreesTheirIds)
{
    Entity(1, 10, 10);
    Entity(2, 20, 20)->Kill();
    Entity(2, 30, 30);
    local->Kill();
    world.Update(16);
    EXPECT_EQ(std::tuple(world.EntityCount(), world.ShipCount()), std::tuple(2u, 1u));
    ASSERT_NE(world.FindEntity(2), nullptr);
    EXPECT_EQ(world.FindEntity(2)->Position().x, 30.0);
}

TEST_F(WorldTest, RemovesOnlyShipsItHoldsAndKeepsTheLocalOneFirst)
{
    Ship* other = world.AddShip(std::make_unique<Ship>());
    world.SetShipId(other, 7);
    EXPECT_EQ(world.FindShip(7), other);
    Ship stranger;
    world.RemoveShip(&stranger);
    world.RemoveShip(nullptr);
    EXPECT_EQ(world.AddShip(nullptr), nullptr);
    EXPECT_EQ(world.ShipCount(), 2u) << "a ship the world does not hold is left alone";

    world.MoveShipToFront(other);
    EXPECT_EQ(world.FirstShip(), other);
    world.MoveShipToFront(local);
    EXPECT_EQ(world.FirstShip(), local);
    int seen = 0;
    for (Ship* ship = world.ShipsBegin(); ship; ship = world.ShipsNext())
        ++seen;
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(world.ShipsNext(), local) << "after the end the walk starts over";

    world.RemoveShip(other);
    EXPECT_EQ(std::tuple(world.ShipCount(), world.FindShip(7)), std::tuple(1u, nullptr));
}

TEST_F(WorldTest, FuelSearchAcrossTheSeamAndTheRefuellingLink)
{
    local->ForceRespawn(0, 0);
    // At x = W exactly the column equal to columns stays; from cell (9, 9)
    // the block at (0, 0) is one step away, found as (10, 10). A ship
    // reaches two cells, not three.
    for (const auto& [x, y, found, foundColumn, foundRow] :
         {std::tuple(320, 16, true, 10, 0), {310, 310, true, 10, 10}, {80, 80, true, 0, 0}, {112, 112, false, -5, -5}}) {
        int column = -5, row = -5;
        local->SetPosition(Vector3(x, y, 0));
        EXPECT_EQ(world.FindFuelTileNear(local, column, row), found) << x << ", " << y;
        EXPECT_EQ(std::tuple(column, row), std::tuple(foundColumn, foundRow)) << x << ", " << y;
    }

    local->ForceRespawn(40, 40);
    local->SetTarget(Vector3(40, 40, 0));
    local->AddFlags(kFlagRefuelling);
    world.Update(16);
    EXPECT_EQ(std::tuple(local->FuelLinkX(), local->FuelLinkY()), std::tuple(16, 16));
}

// The ships put out with their scores at 0 is checked where a map message
// starts a round, in MessageHandling.
TEST_F(WorldTest, ResetRoundClearsTheRoundButKeepsShips)
{
    Entity(1, 10, 10);
    world.AddTurret(std::make_unique<Turret>());
    world.ResetRound();
    EXPECT_EQ(std::tuple(world.GetMap(), world.EntityCount(), world.TurretCount(), world.FindEntity(1), world.ShipCount()),
              std::tuple(nullptr, 0u, 0u, nullptr, 1u));
    world.Update(16); // no map: nothing moves, nothing breaks
}

TEST_F(WorldTest, LoadMapNeedsTheFileByItsWindowsName)
{
    TempDir dir;
    const auto bytes = MapFileBytes("Arena", {{1, 1}, {1, 1}});
    dir.WriteFile("maps/ARENA.smp", std::string(bytes.begin(), bytes.end()));
    dir.WriteFile("maps/broken.smp", "xy");
    ScopedWorkingDir cwd(dir.Path());
    EXPECT_FALSE(world.LoadMap("Missing"));
    EXPECT_NE(world.GetMap(), nullptr) << "nothing changes on a missing file";
    EXPECT_FALSE(world.LoadMap(nullptr));
    ASSERT_TRUE(world.LoadMap("Arena"));
    EXPECT_EQ(world.GetMap()->Columns(), 2);
    ASSERT_TRUE(world.LoadMap("broken")) << "a file that exists installs even if it does not parse";
    EXPECT_EQ(world.GetMap()->Columns(), 0);
    world.Update(16);
}

} // namespace
