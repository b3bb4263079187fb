// How the held keys fly a ship: turning, thrust, shield, cloak, fuel and
// every weapon, each paid for from the tank as FuelCharge.h says.
#include "server/Simulation.h"

#include <algorithm>
#include <climits>
#include <span>

#include "server/FuelCharge.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Ship.h"
#include "world/Torus.h"
#include "world/Trig.h"

namespace {

// A point of the ship's own frame (nose towards +y) placed in the world.
Vector3 OnShip(const Ship& ship, const Vector3& offset)
{
    float x = static_cast<float>(offset.x);
    float y = static_cast<float>(offset.y);
    RotatePoint(x, y, WholeDegrees(ship.GetHeading()));
    return ship.Position() + Vector3(x, y, 0.0);
}

void Keep(Ship& ship, std::uint8_t flag, bool on)
{
    ship.SetFlags(on ? ship.GetFlags() | flag : ship.GetFlags() & static_cast<std::uint8_t>(~flag));
}

} // namespace

void Simulation::Fly(Player& player, int ms)
{
    Ship& ship = player.GetShip();
    player.CoolDown(ms);
    if (!ship.IsAlive()) {
        ship.TickDead(ms);
        if (ship.ReadyToRespawn())
            Spawn(player);
        return;
    }
    player.SetLastPosition(ship.Position());
    const HeldKeys& keys = player.Keys();
    const float periods = static_cast<float>(ms) / kChargePeriodMs;

    float turn = 0.0f;
    if (keys.Holds(kKeyTurnLeft))
        turn -= ship.GetTurnRate();
    if (keys.Holds(kKeyTurnRight))
        turn += ship.GetTurnRate();
    if (turn != 0.0f)
        ship.SetHeading(ship.GetHeading() + turn * static_cast<float>(ms) / 1000.0f);
    if (keys.Holds(kKeyThrust) && ship.UseFuel(kChargeThrust, periods))
        ship.Thrust(ms);
    Keep(ship, kFlagShield,
         player.Reloading().spawnShield > 0 || (keys.Holds(kKeyShields) && ship.UseFuel(kChargeShield, periods)));
    Keep(ship, kFlagCloaked,
         keys.Holds(kKeyCloak) && ship.HasFlags(kFlagCloakDevice) && ship.UseFuel(kChargeCloak, periods));
    Refuel(player, keys.Holds(kKeyFuelUp), ms);
    Fire(player);
}

void Simulation::Refuel(Player& player, bool held, int ms)
{
    Ship& ship = player.GetShip();
    Map& map = *currentMap;
    int column = 0;
    int row = 0;
    float got = 0.0f;
    if (held && world.FindFuelTileNear(&ship, column, row)) {
        const float wanted = std::min(ship.GetMaxFuel() - ship.GetFuel(), kRefuelPerSecond * ms / 1000.0f);
        got = depots.Draw(map, column, row, wanted);
        ship.SetFuel(std::min(ship.GetMaxFuel(), ship.GetFuel() + got));
    }
    Keep(ship, kFlagRefuelling, got > 0.0f);
    if (got > 0.0f)
        ship.SetFuelLink(column * map.TileWidth() + map.TileWidth() / 2, row * map.TileHeight() + map.TileHeight() / 2);
}

void Simulation::Fire(Player& player)
{
    Ship& ship = player.GetShip();
    const HeldKeys& keys = player.Keys();
    Player::Cooldowns& reload = player.Reloading();
    const int id = ship.GetId();
    const Vector3 nose = OnShip(ship, ship.NoseOffset());
    const Vector3 tail = OnShip(ship, ship.NoseOffset() * -1.0);
    const auto room = [this](std::size_t n) { return records.size() + n <= kMaxEntities; };

    if (keys.Holds(kKeyFire) && reload.bullet == 0) {
        const bool triple = ship.HasFlags(kFlagTripleShot);
        if (room(triple ? 3 : 1) && ship.UseFuel(triple ? kChargeTripleShot : kChargeBullet, 1.0f)) {
            reload.bullet = kBulletReloadMs;
            static constexpr float kSingle[] = {0.0f};
            static constexpr float kTriple[] = {-kTripleSpread, 0.0f, kTripleSpread};
            for (const float spread : triple ? std::span<const float>(kTriple) : std::span<const float>(kSingle)) {
                const float heading = ship.GetHeading() + spread;
                Launch(std::make_unique<Bullet>(), nose, ship.Velocity() + HeadingDirection(heading) * kBulletSpeed, heading, id,
                       0, kBulletArmingMs);
            }
        }
    }
    if (keys.Holds(kKeyMissile) && reload.missile == 0 && ship.GetMissiles() > 0 && room(1) &&
        ship.UseFuel(kChargeLaunch, 1.0f)) {
        reload.missile = kMissileReloadMs;
        ship.SetMissiles(static_cast<signed char>(ship.GetMissiles() - 1));
        auto missile = std::make_unique<Missile>();
        missile->SetHomingTarget(NearestVisibleOpponent(nose, id));
        Launch(std::move(missile), nose, ship.Velocity() + HeadingDirection(ship.GetHeading()) * kMissileKick, ship.GetHeading(),
               id, 0, kLaunchArmingMs);
        listener.OnShipChanged(player);
    }
    if (keys.Holds(kKeyMine) && reload.mine == 0 && ship.GetMines() > 0 && room(1) &&
        ship.UseFuel(kChargeLaunch, 1.0f)) {
        reload.mine = kMineReloadMs;
        ship.SetMines(static_cast<signed char>(ship.GetMines() - 1));
        Launch(std::make_unique<Mine>(), tail, ship.Velocity() * 0.5, ship.GetHeading(), id, 0, kLaunchArmingMs);
        listener.OnShipChanged(player);
    }
    if (keys.Holds(kKeyPlasmaMine) && reload.plasmaMine == 0 && ship.GetPlasmaMines() > 0 && room(1) &&
        ship.UseFuel(kChargePlasmaMine, 1.0f)) {
        reload.plasmaMine = kMineReloadMs;
        ship.SetPlasmaMines(static_cast<signed char>(ship.GetPlasmaMines() - 1));
        Launch(std::make_unique<PlasmaMine>(), tail, ship.Velocity() * 0.5, ship.GetHeading(), id, 0,
               kLaunchArmingMs);
        listener.OnShipChanged(player);
    }
    if (keys.Holds(kKeyRepulsor) && reload.repulsor == 0 && ship.GetRepulsors() > 0 &&
        ship.UseFuel(kChargeRepulsor, 1.0f)) {
        reload.repulsor = kRepulsorReloadMs;
        ship.SetRepulsors(static_cast<signed char>(ship.GetRepulsors() - 1));
        Repulse(player);
        listener.OnShipChanged(player);
    }
}

void Simulation::Repulse(Player& player)
{
    const Map& map = *currentMap;
    const Vector3 centre = player.GetShip().Position();
    // Away from the ship, harder the nearer.
    const auto push = [&](const GameObject& object, Vector3& out) {
        Vector3 d(FoldDifference(object.Position().x - centre.x, map.WorldWidth()),
                  FoldDifference(object.Position().y - centre.y, map.WorldHeight()), 0.0);
        const double distance = d.Length();
        if (distance >= kRepulsorReach || distance <= 0.0)
            return false;
        out = d * (kRepulsorPush * (1.0 - distance / kRepulsorReach) / distance);
        return true;
    };
    Vector3 dv;
    for (const auto& other : players) {
        Ship& ship = other->GetShip();
        if (other.get() != &player && ship.IsAlive() && push(ship, dv)) {
            ship.AddVelocity(dv);
            listener.OnShipChanged(*other);
        }
    }
    for (const Record& record : records) {
        GameObject& entity = *record.entity;
        if (entity.IsAlive() && entity.GetType() != kTypePowerup && push(entity, dv)) {
            entity.SetVelocity(entity.Velocity() + dv);
            listener.OnEntityMoved(entity);
        }
    }
}

GameObject* Simulation::Launch(std::unique_ptr<GameObject> entity, const Vector3& at, const Vector3& velocity,
                               float heading, int ownerShip, int ownerTurret, int armingMs)
{
    if (!currentMap || records.size() >= kMaxEntities)
        return nullptr;
    const Map& map = *currentMap;
    entity->ForceRespawn(static_cast<float>(at.x), static_cast<float>(at.y));
    entity->SetPosition(at);
    entity->Wrap(map.WorldWidth(), map.WorldHeight());
    entity->SetVelocity(velocity);
    entity->SetHeading(heading);
    GameObject* added = world.AddEntity(std::move(entity), NextEntityId());
    records.push_back({added, ownerShip, ownerTurret, world.Now() + static_cast<std::uint64_t>(armingMs)});
    listener.OnEntityAppeared(*added);
    return added;
}

int Simulation::NextEntityId()
{
    do {
        nextEntityId = nextEntityId == INT_MAX ? 1 : nextEntityId + 1;
    } while (world.FindEntity(nextEntityId));
    return nextEntityId;
}

Ship* Simulation::NearestVisibleOpponent(const Vector3& from, int ownerShip) const
{
    const Map& map = *currentMap;
    Ship* nearest = nullptr;
    double nearestDistance = 0.0;
    for (const auto& player : players) {
        Ship& ship = player->GetShip();
        if (ship.GetId() == ownerShip || !ship.IsAlive() || ship.HasFlags(kFlagCloaked))
            continue;
        const double dx = FoldDifference(ship.Position().x - from.x, map.WorldWidth());
        const double dy = FoldDifference(ship.Position().y - from.y, map.WorldHeight());
        if (!nearest || dx * dx + dy * dy < nearestDistance) {
            nearest = &ship;
            nearestDistance = dx * dx + dy * dy;
        }
    }
    return nearest;
}
