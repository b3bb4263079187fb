#include "server/game/TurretGunner.h"

#include <algorithm>
#include <cmath>

#include "world/Ship.h"
#include "world/Torus.h"
#include "world/Trig.h"
#include "world/Turret.h"

TurretGunner::TurretGunner(int direction) : facing(FacingHeading(direction)), aim(facing) {}

float TurretGunner::FacingHeading(int direction)
{
    switch (direction) {
    case kTurretUp: return 180.0f;
    case kTurretRight: return 270.0f;
    case kTurretLeft: return 90.0f;
    default: return 0.0f;
    }
}

double TurretGunner::SquaredReachTo(const Turret& turret, const Vector3& at, float worldWidth, float worldHeight) const
{
    const double dx = FoldDifference(at.x - turret.Position().x, worldWidth);
    const double dy = FoldDifference(at.y - turret.Position().y, worldHeight);
    const double distance = dx * dx + dy * dy;
    if (distance > kReach * kReach || std::fabs(TurnBetween(facing, HeadingAlong(dx, dy))) > kArc)
        return -1.0;
    return distance;
}

const Ship* TurretGunner::Choose(const Turret& turret, const std::vector<const Ship*>& ships, float worldWidth,
                                 float worldHeight) const
{
    const Ship* nearest = nullptr;
    double nearestDistance = kReach * kReach;
    for (const Ship* ship : ships) {
        const double distance = SquaredReachTo(turret, ship->Position(), worldWidth, worldHeight);
        if (distance < 0.0 || distance > nearestDistance)
            continue;
        nearest = ship;
        nearestDistance = distance;
    }
    return nearest;
}

bool TurretGunner::Tick(const Turret& turret, const std::vector<const Ship*>& ships, int ms, float worldWidth,
                        float worldHeight)
{
    reload = std::max(0, reload - ms);
    const Ship* target = Choose(turret, ships, worldWidth, worldHeight);
    float wanted = facing;
    if (target) {
        const double dx = FoldDifference(target->Position().x - turret.Position().x, worldWidth);
        const double dy = FoldDifference(target->Position().y - turret.Position().y, worldHeight);
        const double flight = std::sqrt(dx * dx + dy * dy) / kBulletSpeed;
        wanted = HeadingAlong(dx + target->Velocity().x * flight, dy + target->Velocity().y * flight);
    }
    const float step = kTurnRate * static_cast<float>(ms) / 1000.0f;
    const float turn = std::clamp(TurnBetween(aim, wanted), -step, step);
    aim = std::fmod(aim + turn + 360.0f, 360.0f);
    // The gun never swings past its arc, whatever the lead asks.
    const float off = TurnBetween(facing, aim);
    if (std::fabs(off) > kArc)
        aim = std::fmod(facing + std::copysign(kArc, off) + 360.0f, 360.0f);

    if (!target || reload > 0 || std::fabs(TurnBetween(aim, wanted)) > kSteadyAngle)
        return false;
    reload = kReloadMs;
    return true;
}

Vector3 TurretGunner::Muzzle(const Turret& turret) const
{
    return turret.Position() + turret.MuzzleOffset() + HeadingDirection(aim) * 6.0;
}

Vector3 TurretGunner::BulletVelocity() const
{
    return HeadingDirection(aim) * kBulletSpeed;
}
