// Entities living, turrets shooting, everything moving, and what touches
// what: every contact goes through the entities' own Collides and OnHit.
#include "server/game/Simulation.h"

#include <cmath>

#include "world/Bullet.h"
#include "world/Contacts.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Turret.h"

namespace {

constexpr int kBucketSize = 64;
// Farther than any two things that can touch are apart: a ship's 16 units
// and a missile's 10, or a turret's 32 and a missile's.
constexpr double kShipReach = 32.0;
constexpr double kTurretReach = 48.0;

bool Differs(const Vector3& a, const Vector3& b)
{
    return a.x != b.x || a.y != b.y;
}

} // namespace

void Simulation::RunEntities(int ms)
{
    const std::uint64_t now = world.Now();
    for (const Record& record : records) {
        GameObject& entity = *record.entity;
        if (!entity.IsAlive())
            continue;
        if (Homing* homing = entity.AsHoming()) {
            const auto* target = static_cast<const Ship*>(homing->HomingTarget());
            if (!target || !target->IsAlive() || target->HasFlags(kFlagCloaked))
                homing->SetHomingTarget(NearestVisibleOpponent(entity.Position(), record.ownerShip));
        }
        entity.Update(ms, now);
    }
}

void Simulation::RunTurrets(int ms)
{
    const Map& map = *currentMap;
    for (std::size_t i = 0; i < turrets.size(); ++i) {
        Turret& turret = *turrets[i];
        if (!turret.IsAlive()) {
            turret.TickDead(ms);
            if (turret.ReadyToRespawn()) {
                turret.Respawn(0.0f, 0.0f);
                listener.OnTurretChanged(turret);
            }
            continue;
        }
        TurretGunner& gunner = gunners[i];
        if (gunner.Tick(turret, visibleShips, ms, static_cast<float>(map.WorldWidth()),
                        static_cast<float>(map.WorldHeight())))
            Launch(std::make_unique<Bullet>(), gunner.Muzzle(turret), gunner.BulletVelocity(), gunner.Aim(), 0,
                   turret.GetId(), 0);
    }
}

void Simulation::Move(int ms)
{
    const Map& map = *currentMap;
    const double seconds = ms / 1000.0;
    const auto move = [&](GameObject& object) {
        object.SetPosition(object.Position() + object.Velocity() * seconds);
        object.Wrap(map.WorldWidth(), map.WorldHeight());
    };
    for (const auto& player : players) {
        if (player->GetShip().IsAlive())
            move(player->GetShip());
    }
    for (Record& record : records) {
        if (!record.entity->IsAlive())
            continue;
        move(*record.entity);
        // Measured from its owner: a ship outrunning its own slow shot
        // laps the map onto it long before the shot has gone far.
        const Player* owner = record.ownerShip ? FindPlayer(record.ownerShip) : nullptr;
        const Vector3 away = record.entity->Velocity() -
                             (owner && owner->GetShip().IsAlive() ? owner->GetShip().Velocity() : Vector3());
        record.flown += std::hypot(away.x, away.y) * seconds;
    }
}

void Simulation::Contacts()
{
    const Map& map = *currentMap;
    grid.Reset(map.WorldWidth(), map.WorldHeight(), kBucketSize);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].entity->IsAlive())
            grid.Add(static_cast<int>(i), records[i].entity->Position());
    }
    grid.Build();
    ShipsAgainstWalls();
    ShipsAgainstShips();
    ShipsAgainstTurrets();
    ShipsAgainstEntities();
    EntitiesAgainstWalls();
    EntitiesAgainstTurrets();
}

void Simulation::Rebounded(GameObject& entity, const Vector3& velocityBefore)
{
    entity.SetPosition(entity.Position() - velocityBefore * (tickMs / 1000.0));
    entity.Wrap(currentMap->WorldWidth(), currentMap->WorldHeight());
    listener.OnEntityMoved(entity);
}

void Simulation::Lost(Player& victim, const GameObject& against, const Record* record)
{
    const ContactRow* contact = ContactOf(against.GetType());
    switch (contact ? contact->blame : Blame::Pilot) {
    case Blame::Rammer:
        if (against.IsAlive())
            deaths.push_back({&victim, FindPlayer(against.GetId()), DeathCause::Rammed});
        else
            deaths.push_back({&victim, nullptr, DeathCause::Collision});
        break;
    case Blame::Shooter: Killed(victim, record); break;
    case Blame::Pilot: Killed(victim, nullptr); break;
    }
}

void Simulation::ShipsAgainstWalls()
{
    for (const auto& player : players) {
        Ship& ship = player->GetShip();
        if (!ship.IsAlive())
            continue;
        WallCell* wall = walls.Rebound(ship, player->LastPosition(), tickMs / 1000.0);
        if (!wall)
            continue;
        if (!ship.IsShielded())
            ship.OnHit(wall);
        if (!ship.IsAlive()) {
            Lost(*player, *wall, nullptr);
            continue;
        }
        listener.OnShipChanged(*player);
    }
}

void Simulation::ShipsAgainstShips()
{
    const float width = static_cast<float>(currentMap->WorldWidth());
    const float height = static_cast<float>(currentMap->WorldHeight());
    for (std::size_t i = 0; i < players.size(); ++i) {
        for (std::size_t j = i + 1; j < players.size(); ++j) {
            Player& first = *players[i];
            Player& second = *players[j];
            Ship& a = first.GetShip();
            Ship& b = second.GetShip();
            if (!a.IsAlive() || !b.IsAlive() || Harmless(first, second) ||
                !(a.Collides(&b, width, height) || b.Collides(&a, width, height)))
                continue;
            const Vector3 aBefore = a.Velocity();
            const Vector3 bBefore = b.Velocity();
            a.OnHit(&b);
            b.OnHit(&a);
            if (!a.IsAlive())
                Lost(first, b, nullptr);
            if (!b.IsAlive())
                Lost(second, a, nullptr);
            for (auto [player, before] : {std::pair{&first, aBefore}, std::pair{&second, bBefore}}) {
                Ship& ship = player->GetShip();
                if (ship.IsAlive() && Differs(ship.Velocity(), before)) {
                    ship.SetPosition(player->LastPosition());
                    listener.OnShipChanged(*player);
                }
            }
        }
    }
}

void Simulation::ShipsAgainstTurrets()
{
    const float width = static_cast<float>(currentMap->WorldWidth());
    const float height = static_cast<float>(currentMap->WorldHeight());
    for (const auto& player : players) {
        Ship& ship = player->GetShip();
        for (Turret* turret : turrets) {
            if (!ship.IsAlive() || !turret->IsAlive() || !ship.Collides(turret, width, height))
                continue;
            ship.OnHit(turret);
            if (!ship.IsAlive())
                Lost(*player, *turret, nullptr);
        }
    }
}

void Simulation::ShipsAgainstEntities()
{
    const float width = static_cast<float>(currentMap->WorldWidth());
    const float height = static_cast<float>(currentMap->WorldHeight());
    for (const auto& player : players) {
        Ship& ship = player->GetShip();
        if (!ship.IsAlive())
            continue;
        grid.Near(ship.Position(), kShipReach, [&](int index) {
            const Record& record = records[static_cast<std::size_t>(index)];
            GameObject& entity = *record.entity;
            if (!ship.IsAlive() || !entity.IsAlive() ||
                SparesOwner(record, ship) || !ship.Collides(&entity, width, height) ||
                SparesTeammate(record, *player))
                return;
            const bool takes = entity.GetType() == kTypePowerup && !ship.IsShielded();
            const Vector3 before = entity.Velocity();
            ship.OnHit(&entity);
            entity.OnHit(&ship);
            if (!ship.IsAlive())
                Lost(*player, entity, &record);
            else if (takes)
                listener.OnShipChanged(*player);
            if (entity.IsAlive() && Differs(entity.Velocity(), before))
                Rebounded(entity, before);
        });
    }
}

bool Simulation::SparesOwner(const Record& record, const Ship& ship) const
{
    return record.ownerShip == ship.GetId() &&
           (world.Now() < record.armedAt ||
            !HitsItsOwnShip(record.flown, currentMap->WorldWidth(), currentMap->WorldHeight()));
}

bool Simulation::SparesTeammate(const Record& record, const Player& target) const
{
    if (settings.friendlyFire || target.GetTeam() == Team::None || !record.ownerShip ||
        record.ownerShip == target.ShipId())
        return false;
    const Player* shooter = FindPlayer(record.ownerShip);
    return shooter && shooter->IsTeammate(target);
}

void Simulation::EntitiesAgainstWalls()
{
    const float width = static_cast<float>(currentMap->WorldWidth());
    const float height = static_cast<float>(currentMap->WorldHeight());
    for (const Record& record : records) {
        GameObject& entity = *record.entity;
        if (!entity.IsAlive())
            continue;
        WallCell* wall =
            walls.FirstTouching(entity, [&](WallCell& cell) { return entity.Collides(&cell, width, height); });
        if (!wall)
            continue;
        const Vector3 before = entity.Velocity();
        entity.OnHit(wall);
        if (entity.IsAlive() && Differs(entity.Velocity(), before))
            Rebounded(entity, before);
    }
}

void Simulation::EntitiesAgainstTurrets()
{
    const float width = static_cast<float>(currentMap->WorldWidth());
    const float height = static_cast<float>(currentMap->WorldHeight());
    for (Turret* turret : turrets) {
        if (!turret->IsAlive())
            continue;
        grid.Near(turret->Position(), kTurretReach, [&](int index) {
            const Record& record = records[static_cast<std::size_t>(index)];
            GameObject& entity = *record.entity;
            const ContactRow* contact = ContactOf(entity.GetType());
            // Guns fall to what is shot at them, never to their own fire.
            if (!turret->IsAlive() || !entity.IsAlive() || record.ownerTurret || !contact || !contact->hurtsTurrets ||
                !entity.Collides(turret, width, height))
                return;
            entity.OnHit(turret);
            turret->OnHit(&entity);
            listener.OnTurretChanged(*turret);
        });
    }
}
