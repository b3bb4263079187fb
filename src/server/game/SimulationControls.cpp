// The held keys through the ship's own rules, and what they fire made into
// entities of the world: ids, owners, arming, homing and the repulsor's push.
#include "server/game/Simulation.h"

#include <climits>

#include "world/Map.h"
#include "world/NewEntity.h"
#include "world/Ship.h"
#include "world/ShipControls.h"
#include "world/Torus.h"

namespace {

// The fuel blocks of the round's map, for a ship that holds the refuel key.
class DepotSource final : public FuelSource {
public:
    DepotSource(World& world, Map& map, FuelDepots& depots) : world(world), map(map), depots(depots) {}

    float Draw(const Ship& ship, float wanted, int& linkX, int& linkY) override
    {
        int column = 0;
        int row = 0;
        if (!world.FindFuelTileNear(&ship, column, row))
            return 0.0f;
        linkX = column * map.TileWidth() + map.TileWidth() / 2;
        linkY = row * map.TileHeight() + map.TileHeight() / 2;
        return depots.Draw(map, column, row, wanted);
    }

private:
    World& world;
    Map& map;
    FuelDepots& depots;
};

} // namespace

void Simulation::Fly(Player& player, int ms)
{
    Ship& ship = player.GetShip();
    DepotSource source(world, *currentMap, depots);
    const std::size_t room = records.size() < kMaxEntities ? kMaxEntities - records.size() : 0;
    const Launches fired = player.Controls().Step(ship, player.Keys(), ms, &source, room);
    if (!ship.IsAlive()) {
        ship.TickDead(ms);
        if (ship.ReadyToRespawn())
            Spawn(player);
        return;
    }
    player.SetLastPosition(ship.Position());
    for (const LaunchRequest& request : fired)
        Fire(player, request);
}

void Simulation::Fire(Player& player, const LaunchRequest& request)
{
    const WeaponRow& row = WeaponTable(request.weapon);
    const int id = player.ShipId();
    std::unique_ptr<GameObject> shot = NewEntity(row.shot, 0);
    if (!shot) {
        Repulse(player);
    } else {
        if (Homing* homing = shot->AsHoming())
            homing->SetHomingTarget(NearestVisibleOpponent(request.at, id));
        Launch(std::move(shot), request.at, request.velocity, request.heading, id, 0, row.armingMs);
    }
    if (row.ammunition != Ammunition::None)
        listener.OnShipChanged(player);
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
    records.push_back({added, ownerShip, ownerTurret, world.Now() + static_cast<std::uint64_t>(armingMs), 0.0});
    // Shrapnel flies from a wreck, not from its owner's keys.
    listener.OnEntityAppeared(*added, added->GetType() == kTypeShrapnel ? 0 : ownerShip);
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
    const Player* owner = FindPlayer(ownerShip);
    Ship* nearest = nullptr;
    double nearestDistance = 0.0;
    for (const auto& player : players) {
        Ship& ship = player->GetShip();
        if (ship.GetId() == ownerShip || !ship.IsAlive() || ship.HasFlags(kFlagCloaked) ||
            (owner && owner->IsTeammate(*player)))
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
