#include "net/OwnShots.h"

#include <algorithm>
#include <cmath>

#include "world/Map.h"
#include "world/NewEntity.h"
#include "world/Torus.h"
#include "world/Walls.h"
#include "world/Weapons.h"
#include "world/World.h"

namespace {

// The server's shot leaves a tick or two after ours would, from about the
// same place; its first report may be that far along its way.
constexpr double kSameShotUnits = 24.0;
// The own ship is drawn where the server will have it give or take a few
// frames: the faster a shot, the farther apart the two may leave.
constexpr double kLeewaySeconds = 0.06;
// A turning ship's heading is a few frames off too: velocities agree
// within a share of the speed, more for slow shots.
constexpr double kMissShare = 0.4;
constexpr double kMissUnitsPerSecond = 80.0;

// How far a point lies from the segment between two others, on the
// wrap-around world of the given size.
double FromSegment(const Vector3& point, const Vector3& from, const Vector3& to, double width, double height)
{
    const double alongX = FoldDifference(to.x - from.x, width);
    const double alongY = FoldDifference(to.y - from.y, height);
    const double pointX = FoldDifference(point.x - from.x, width);
    const double pointY = FoldDifference(point.y - from.y, height);
    const double length = alongX * alongX + alongY * alongY;
    const double share = length > 0.0 ? std::clamp((pointX * alongX + pointY * alongY) / length, 0.0, 1.0) : 0.0;
    return std::hypot(pointX - alongX * share, pointY - alongY * share);
}

double Speed(const Vector3& velocity)
{
    return std::hypot(velocity.x, velocity.y);
}

// A shot that touches a wall does what its kind does there: a bullet is
// spent, a mine bounces.
void HitWall(GameObject& shot, Walls& walls, const Map& map)
{
    const float width = static_cast<float>(map.WorldWidth());
    const float height = static_cast<float>(map.WorldHeight());
    if (WallCell* wall = walls.FirstTouching(shot, [&](WallCell& cell) { return shot.Collides(&cell, width, height); }))
        shot.OnHit(wall);
}

} // namespace

void OwnShots::Clear()
{
    flying.clear();
    ours.clear();
    spent.clear();
    fired.clear();
    controls = ShipControls();
    map = nullptr;
}

void OwnShots::Step(Ship& ship, const HeldKeys& keys, int ms, std::uint32_t now, int roundTripMs,
                    const Map* onMap, Walls& walls)
{
    map = onMap;
    waitMs = static_cast<std::uint32_t>(std::max(0, roundTripMs)) + kGraceMs;
    Fly(ms, now, walls);
    std::erase_if(fired, [now](const Firing& f) { return now - f.at > kFiringsKeptMs; });
    const Launches launched = controls.Shoot(ship, keys, ms, MostShotsAtOnce());
    for (const LaunchRequest& request : launched) {
        // A fan of shots is one firing.
        if (fired.empty() || fired.back().at != now || fired.back().weapon != request.weapon)
            fired.push_back({request.weapon, now});
        Fire(request, now);
    }
}

void OwnShots::Fire(const LaunchRequest& request, std::uint32_t now)
{
    const WeaponRow& row = WeaponTable(request.weapon);
    std::unique_ptr<GameObject> shot = NewEntity(row.shot, 0);
    if (!shot)
        return;
    shot->ForceRespawn(static_cast<float>(request.at.x), static_cast<float>(request.at.y));
    shot->SetPosition(request.at);
    shot->SetTarget(request.at);
    shot->SetVelocity(request.velocity);
    shot->SetHeading(request.heading);
    flying.push_back({std::move(shot), request.at, now});
}

void OwnShots::Fly(int ms, std::uint32_t now, Walls& walls)
{
    std::erase_if(flying, [&](const Flying& shot) {
        const bool gone = now - shot.at > waitMs;
        unclaimed += gone && shot.shot->IsAlive();
        return gone;
    });
    if (!map)
        return;
    const int width = map->WorldWidth();
    const int height = map->WorldHeight();
    for (Flying& flown : flying) {
        GameObject& shot = *flown.shot;
        if (!shot.IsAlive())
            continue;
        shot.SetPosition(shot.Position() + shot.Velocity() * (ms / 1000.0));
        shot.Wrap(width, height);
        HitWall(shot, walls, *map);
    }
}

bool OwnShots::Claim(GameObject& entity, std::uint32_t now)
{
    const double width = map ? map->WorldWidth() : 0.0;
    const double height = map ? map->WorldHeight() : 0.0;
    // Of the shots it could be, the one whose velocity is nearest: three
    // of a fan leave together.
    auto best = flying.end();
    double bestMiss = 0.0;
    for (auto it = flying.begin(); it != flying.end(); ++it) {
        const GameObject& shot = *it->shot;
        const double speed = Speed(shot.Velocity());
        const double miss = Speed(entity.Velocity() - shot.Velocity());
        if (shot.GetType() != entity.GetType() || miss > kMissShare * speed + kMissUnitsPerSecond ||
            FromSegment(entity.Position(), it->from, shot.Position(), width, height) >
                kSameShotUnits + speed * kLeewaySeconds)
            continue;
        if (best == flying.end() || miss < bestMiss) {
            best = it;
            bestMiss = miss;
        }
    }
    if (best == flying.end())
        return Replace(entity);
    entity.SetPosition(best->shot->Position());
    entity.SetTarget(best->shot->Position());
    if (best->shot->IsAlive()) {
        ours.push_back(entity.GetId());
    } else {
        entity.Kill();
        spent.push_back({entity.GetId(), now + waitMs});
    }
    ++claimed;
    flying.erase(best);
    return true;
}

bool OwnShots::Replace(const GameObject& entity)
{
    // The server's shot left from elsewhere than ours (a bounce or a push
    // the ship's flight here did not foresee): ours of its kind and nearest
    // its heading goes now rather than flying on where no shot is, and the
    // server's is drawn where it has it.
    auto nearest = flying.end();
    float nearestTurn = 0.0f;
    for (auto it = flying.begin(); it != flying.end(); ++it) {
        const float turn = std::fabs(std::remainder(it->shot->GetHeading() - entity.GetHeading(), 360.0f));
        if (it->shot->GetType() == entity.GetType() && (nearest == flying.end() || turn < nearestTurn)) {
            nearest = it;
            nearestTurn = turn;
        }
    }
    if (nearest == flying.end())
        return false;
    flying.erase(nearest);
    ++replaced;
    return true;
}

bool OwnShots::IsOurs(int id) const
{
    return std::find(ours.begin(), ours.end(), id) != ours.end();
}

void OwnShots::Forget(int id)
{
    std::erase(ours, id);
    std::erase_if(spent, [id](const Spent& s) { return s.id == id; });
}

void OwnShots::Guard(World& world, Walls& walls, std::uint32_t now)
{
    std::erase_if(spent, [now](const Spent& s) { return static_cast<std::int32_t>(now - s.until) > 0; });
    if (!map)
        return;
    std::erase_if(ours, [&](int id) {
        GameObject* shot = world.FindEntity(id);
        if (!shot || !shot->IsAlive())
            return !shot;
        if (shot->GetType() != kTypeBullet)
            return false;
        HitWall(*shot, walls, *map);
        if (shot->IsAlive())
            return false;
        spent.push_back({id, now + waitMs});
        return true;
    });
}

void OwnShots::ChargeSince(Ship& ship, std::uint32_t heard) const
{
    for (const Firing& firing : fired) {
        const WeaponRow& row = WeaponTable(firing.weapon);
        if (static_cast<std::int32_t>(firing.at - heard) <= 0 || !row.PutsInWorld())
            continue;
        ship.SetFuel(std::max(0.0f, ship.GetFuel() - row.fuel));
        if (row.ammunition != Ammunition::None)
            ship.SetRounds(row.ammunition, std::max(0, ship.Rounds(row.ammunition) - 1));
    }
}

bool OwnShots::IsSpent(int id, std::uint32_t now) const
{
    return std::any_of(spent.begin(), spent.end(), [&](const Spent& s) {
        return s.id == id && static_cast<std::int32_t>(s.until - now) >= 0;
    });
}
