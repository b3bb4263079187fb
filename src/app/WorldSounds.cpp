#include "app/WorldSounds.h"

#include <algorithm>
#include <cmath>

#include "net/NetClient.h"
#include "world/Map.h"
#include "world/Projectile.h"
#include "world/Ship.h"
#include "world/Turret.h"
#include "world/Weapons.h"
#include "world/World.h"

namespace {

// The server ends what has outlived its time a little before this side's
// clock says so; such an end is no hit.
constexpr std::uint64_t kExpirySlack = 1000;

template <typename T>
void SortById(std::vector<T>& list)
{
    std::sort(list.begin(), list.end(), [](const T& a, const T& b) { return a.id < b.id; });
}

// Calls onPair(before, now) for ids in both lists, onNew(now) for ids only
// in now and onGone(before) for ids only before; both sorted by id.
template <typename T, typename Pair, typename New, typename Gone>
void Merge(const std::vector<T>& before, std::vector<T>& now, Pair onPair, New onNew, Gone onGone)
{
    std::size_t b = 0, n = 0;
    while (b < before.size() || n < now.size()) {
        if (n == now.size() || (b < before.size() && before[b].id < now[n].id)) {
            onGone(before[b++]);
        } else if (b == before.size() || now[n].id < before[b].id) {
            onNew(now[n++]);
        } else {
            onPair(before[b++], now[n++]);
        }
    }
}

bool IsProjectile(int type)
{
    return WeaponShooting(type) != nullptr;
}

} // namespace

WorldSounds::WorldSounds()
{
    entities.reserve(NetClient::kMostEntities);
    entitiesBefore.reserve(NetClient::kMostEntities);
    turrets.reserve(NetClient::kMostTurrets);
    turretsBefore.reserve(NetClient::kMostTurrets);
    ships.reserve(NetClient::kMostShips);
    shipsBefore.reserve(NetClient::kMostShips);
    tripleShooters.reserve(NetClient::kMostShips);
}

void WorldSounds::Look(World& world, SoundQueue& queue)
{
    std::swap(entities, entitiesBefore);
    std::swap(ships, shipsBefore);
    std::swap(turrets, turretsBefore);
    Collect(world);
    if (known) {
        tripleShooters.clear();
        CompareEntities(queue);
        CompareShips(queue);
        CompareTurrets(queue);
    }
    known = true;
}

void WorldSounds::Collect(World& world)
{
    const Map* map = world.GetMap();
    worldWidth = map ? static_cast<float>(map->WorldWidth()) : 0.0f;
    worldHeight = map ? static_cast<float>(map->WorldHeight()) : 0.0f;
    const Ship* local = world.FirstShip();
    listenerX = local ? static_cast<float>(local->Position().x) : 0.0f;
    listenerY = local ? static_cast<float>(local->Position().y) : 0.0f;

    entities.clear();
    for (const GameObject* entity : world.Entities()) {
        const int type = entity->GetType();
        const bool expired = IsProjectile(type) &&
                             static_cast<const Projectile*>(entity)->Life().Over(world.Now() + kExpirySlack);
        entities.push_back({entity->GetId(), type, entity->IsAlive(), expired,
                            static_cast<float>(entity->Position().x), static_cast<float>(entity->Position().y)});
    }
    SortById(entities);
    ships.clear();
    for (const Ship* ship : world.Ships()) {
        if (ships.size() == ships.capacity())
            break;
        const Vector3& at = ship->Position();
        const Vector3& v = ship->Velocity();
        SeenShip& seen = ships.emplace_back(SeenShip{ship->GetId(), ship == local, ship->IsAlive(), ship->GetFlags(),
                                                     {}, static_cast<float>(at.x), static_cast<float>(at.y),
                                                     static_cast<float>(v.x), static_cast<float>(v.y)});
        for (std::size_t i = 0; i < kAmmunitionKinds; ++i)
            seen.rounds[i] = ship->Rounds(AmmunitionAt(i));
    }
    SortById(ships);
    turrets.clear();
    for (const Turret* turret : world.Turrets())
        turrets.push_back({turret->GetId(), kTypeTurret, turret->IsAlive(), false,
                           static_cast<float>(turret->Position().x), static_cast<float>(turret->Position().y)});
    SortById(turrets);
}

void WorldSounds::CompareEntities(SoundQueue& queue)
{
    Merge(
        entitiesBefore, entities,
        [&](const Seen& before, Seen& now) {
            now.origin = before.origin;
            if (before.alive && !now.alive && !now.expired)
                Ended(now, queue);
        },
        [&](Seen& now) {
            if (now.alive)
                Appeared(now, queue);
        },
        [](const Seen&) {});
}

void WorldSounds::Appeared(Seen& entity, SoundQueue& queue)
{
    const SeenShip* ship = ShipNear(entity.x, entity.y, kOriginReach);
    const float shipDistance = ship ? Distance(ship->x, ship->y, entity.x, entity.y) : kOriginReach;
    if (entity.type == kTypeBullet && TurretNearer(entity.x, entity.y, shipDistance)) {
        Queue(queue, SoundEvent::TurretShot, entity.x, entity.y);
        return;
    }
    if (!ship)
        return; // come into sight, not fired: silent
    // Heard at the ship that fired, so the own ship's shots are centred.
    const auto fired = [&](SoundEvent event) {
        entity.origin = ship->id;
        Queue(queue, event, ship->x, ship->y);
    };
    if (entity.type != kTypeBullet) {
        // Powerups and shrapnel are no weapon's shots: they arrive silently.
        if (const WeaponRow* row = WeaponShooting(entity.type))
            fired(row->launch);
    } else if (!(ship->flags & kFlagTripleShot)) {
        fired(ship->local ? WeaponTable(Weapon::Bullet).launch : SoundEvent::ShotOther);
    } else if (std::find(tripleShooters.begin(), tripleShooters.end(), ship->id) == tripleShooters.end()) {
        tripleShooters.push_back(ship->id);
        fired(WeaponTable(Weapon::TripleShot).launch);
    } else {
        entity.origin = ship->id; // the second and third of three
    }
}

void WorldSounds::Ended(const Seen& entity, SoundQueue& queue)
{
    const SeenShip* ship = ShipNear(entity.x, entity.y, kTouchReach, entity.origin);
    if (const WeaponRow* row = WeaponShooting(entity.type)) {
        if (ship && (ship->flags & kFlagShield) && row->end.ringsShield)
            Queue(queue, SoundEvent::ShieldHit, ship->x, ship->y);
        else if (row->end.burst)
            Queue(queue, *row->end.burst, entity.x, entity.y);
    } else if (entity.type == kTypePowerup && ship) {
        Queue(queue, SoundEvent::Powerup, entity.x, entity.y);
    }
}

void WorldSounds::CompareShips(SoundQueue& queue)
{
    const auto at = [&](const SeenShip& ship, SoundEvent event) { Queue(queue, event, ship.x, ship.y); };
    Merge(
        shipsBefore, ships,
        [&](const SeenShip& before, const SeenShip& now) {
            if (before.alive != now.alive) {
                if (now.alive)
                    at(now, SoundEvent::Respawn);
                else
                    at(now, now.local ? SoundEvent::OwnShipExplode : SoundEvent::ShipExplode);
                return;
            }
            if (!now.alive)
                return;
            const bool cloaked = now.flags & kFlagCloaked;
            if (cloaked != static_cast<bool>(before.flags & kFlagCloaked))
                at(now, cloaked ? SoundEvent::CloakOn : SoundEvent::CloakOff);
            // A weapon that puts nothing in the world is heard by its spent round.
            for (const WeaponRow& row : kWeapons) {
                const auto kind = static_cast<std::size_t>(row.ammunition);
                if (!row.PutsInWorld() && kind < kAmmunitionKinds && now.rounds[kind] < before.rounds[kind])
                    at(now, row.launch);
            }
            // A shielded ship turned back at once has bounced off something.
            const float dot = before.vx * now.vx + before.vy * now.vy;
            const float speeds = std::hypot(before.vx, before.vy) * std::hypot(now.vx, now.vy);
            if ((now.flags & kFlagShield) && speeds > 0.0f && dot < -0.2f * speeds)
                at(now, SoundEvent::ShieldRebound);
        },
        [](const SeenShip&) {}, [](const SeenShip&) {});
}

void WorldSounds::CompareTurrets(SoundQueue& queue)
{
    Merge(
        turretsBefore, turrets,
        [&](const Seen& before, const Seen& now) {
            if (before.alive && !now.alive)
                Queue(queue, SoundEvent::TurretWrecked, now.x, now.y);
        },
        [](const Seen&) {}, [](const Seen&) {});
}

void WorldSounds::Queue(SoundQueue& queue, SoundEvent event, float x, float y) const
{
    queue.Add(event, OffsetX(listenerX, x), OffsetY(listenerY, y));
}

float WorldSounds::OffsetX(float from, float to) const
{
    float d = to - from;
    if (worldWidth > 0.0f)
        d -= worldWidth * std::round(d / worldWidth);
    return d;
}

float WorldSounds::OffsetY(float from, float to) const
{
    float d = to - from;
    if (worldHeight > 0.0f)
        d -= worldHeight * std::round(d / worldHeight);
    return d;
}

float WorldSounds::Distance(float x0, float y0, float x1, float y1) const
{
    return std::hypot(OffsetX(x0, x1), OffsetY(y0, y1));
}

const WorldSounds::SeenShip* WorldSounds::ShipNear(float x, float y, float reach, int except) const
{
    const SeenShip* nearest = nullptr;
    float best = reach;
    for (const SeenShip& ship : ships) {
        const float d = ship.alive && ship.id != except ? Distance(ship.x, ship.y, x, y) : reach;
        if (d < best) {
            best = d;
            nearest = &ship;
        }
    }
    return nearest;
}

bool WorldSounds::TurretNearer(float x, float y, float shipDistance) const
{
    return std::any_of(turrets.begin(), turrets.end(), [&](const Seen& turret) {
        return turret.alive && Distance(turret.x, turret.y, x, y) < shipDistance;
    });
}
