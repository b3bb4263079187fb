#include "world/Missile.h"

#include <algorithm>
#include <cmath>

#include "world/Map.h"
#include "world/NetServer.h"
#include "world/Torus.h"
#include "world/Trig.h"
#include "world/World.h"

namespace {
// A little above 2 pi: the steering angle comes out a hair smaller.
constexpr double kFullTurn = 6.283194065093994;
} // namespace

Missile::Missile() : Projectile(kMissileLifetime)
{
    type = kTypeMissile;
    hull.push_back({{-3, -6}, {3, -6}, {3, 6}, {-3, 6}});
    SetRadius(10.0f);
    SetTurnRate(450.0f);
    SetMaxSpeed(800.0f);
    SetThrust(700.0f);
}

void Missile::Turn(float angle, int ms)
{
    const float maxStep = static_cast<float>(ms * turnRate / 1000.0);
    if (std::fabs(angle) > maxStep)
        angle = angle < 0.0f ? -maxStep : maxStep;
    heading += angle;
    if (!std::isfinite(heading)) {
        heading = 0.0f;
        return;
    }
    if (std::fabs(heading) >= 720.0f)
        heading = std::fmod(heading, 360.0f);
    while (heading >= 360.0f)
        heading -= 360.0f;
    while (heading < 0.0f)
        heading += 360.0f;
}

void Missile::Update(int ms, std::uint64_t now)
{
    ExpireAt(now);
    if (!alive)
        return;
    World* world = NetServer::Instance()->GetWorld();
    Map* map = world ? world->GetMap() : nullptr;
    if (!map)
        return;
    Steer(ms, static_cast<float>(map->WorldWidth()), static_cast<float>(map->WorldHeight()));
}

void Missile::Steer(int ms, float worldWidth, float worldHeight)
{
    if (!homingTarget || !homingTarget->IsAlive())
        return;

    const Vector3 lead = homingTarget->Position() + homingTarget->Velocity() * (ms / 1000.0);
    Vector3 d = lead - position;
    d.x = FoldDifference(d.x, worldWidth);
    d.y = FoldDifference(d.y, worldHeight);
    d.Normalize();

    Vector3 steer = d * maxSpeed - velocity;
    steer.Normalize();

    float hx = 0.0f;
    float hy = 1.0f;
    RotatePoint(hx, hy, WholeDegrees(heading));
    const Vector3 h(hx, hy, 0.0);
    const Vector3 side(-h.y, h.x, 0.0);

    const double c = std::clamp(steer.Dot(h), -1.0, 1.0);
    double angle = std::acos(c) / kFullTurn * 360.0;
    if (h.Dot(d) < 0.0)
        angle = -angle;
    Turn(static_cast<float>(steer.Dot(side) >= 0.0 ? angle : -angle), ms);
    Thrust(ms);
}
