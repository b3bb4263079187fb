#include "world/GameObject.h"

#include <cmath>

#include "world/Torus.h"
#include "world/Trig.h"

bool showCollisionOutlines = false;

void GameObject::Update(int, std::uint64_t) {}

void GameObject::OnHit(GameObject*)
{
    Kill();
}

void GameObject::Kill()
{
    alive = false;
    deadTime = 0;
}

void GameObject::Respawn(float x, float y)
{
    if (deadTime < respawnDelay)
        return;
    position.x = x;
    position.y = y;
    heading = 0.0f;
    velocity.Set(0.0, 0.0, 0.0);
    alive = true;
}

void GameObject::ForceRespawn(float x, float y)
{
    deadTime = respawnDelay + 10;
    Respawn(x, y);
}

void GameObject::SetPosition(const Vector3& v)
{
    position.Set(v.x, v.y, v.z);
    position.z = 1.0;
}

void GameObject::SetTarget(const Vector3& v)
{
    target.Set(v.x, v.y, v.z);
    target.z = 0.0;
}

void GameObject::SetHeading(float degrees)
{
    heading = degrees;
    if (!std::isfinite(heading)) {
        heading = 0.0f;
        return;
    }
    // Far from the circle, whole turns come off at once: stepping by 360
    // would never move a large float.
    if (std::fabs(heading) >= 720.0f)
        heading = std::fmod(heading, 360.0f);
    while (heading < 0.0f)
        heading += 360.0f;
    while (heading > 359.0f)
        heading -= 360.0f;
}

void GameObject::SetTurnRate(float rate)
{
    if (rate >= 0.0f)
        turnRate = rate;
}

void GameObject::SetThrust(float acceleration)
{
    if (acceleration >= 0.0f)
        thrust = acceleration;
}

void GameObject::SetMaxSpeed(float speed)
{
    if (speed < 0.0f)
        return;
    maxSpeed = speed;
    maxSpeedSquared = speed * speed;
}

void GameObject::SetRadius(float r)
{
    if (r < 0.0f)
        return;
    radius = r;
    radiusSquared = r * r;
}

void GameObject::AddVelocity(const Vector3& dv)
{
    velocity.Set(velocity.x + dv.x, velocity.y + dv.y, velocity.z + dv.z);
    const double speedSquared = velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z;
    if (speedSquared > maxSpeedSquared) {
        velocity.Normalize();
        velocity = velocity * maxSpeed;
    }
}

void GameObject::Thrust(int ms)
{
    if (ms <= 0)
        return;
    float x = 0.0f;
    float y = 1.0f;
    RotatePoint(x, y, WholeDegrees(heading));
    const double scale = ms * thrust / 1000.0;
    AddVelocity(Vector3(x * scale, y * scale, 0.0));
}

void GameObject::Wrap(int worldWidth, int worldHeight)
{
    position.x = WithinTwoTurns(position.x, worldWidth);
    position.y = WithinTwoTurns(position.y, worldHeight);
    if (worldWidth > 0) {
        while (position.x < 0.0)
            position.x += worldWidth;
        while (position.x > worldWidth)
            position.x -= worldWidth;
    }
    if (worldHeight > 0) {
        while (position.y < 0.0)
            position.y += worldHeight;
        while (position.y > worldHeight)
            position.y -= worldHeight;
    }
}

void GameObject::TickDead(int ms)
{
    if (!alive)
        deadTime += ms;
}

void GameObject::AddHullPolygon(const Polygon* polygon)
{
    if (polygon)
        hull.push_back(*polygon);
}

bool GameObject::Collides(GameObject* other, float worldWidth, float worldHeight)
{
    return CollidesUsing(hull, other, worldWidth, worldHeight);
}

bool GameObject::CollidesUsing(const std::vector<Polygon>& ownHull, GameObject* other, float worldWidth,
                               float worldHeight, bool circleDecides)
{
    if (!other)
        return false;
    Vector3 d = other->position - position;
    d.x = FoldDifference(d.x, worldWidth);
    d.y = FoldDifference(d.y, worldHeight);
    const float r = radius + other->radius;
    if (d.x * d.x + d.y * d.y + d.z * d.z > static_cast<double>(r) * r)
        return false;
    if (circleDecides)
        return true;

    const int ownTurn = NormalisedDegrees(heading);
    const int otherTurn = NormalisedDegrees(other->heading);
    for (const Polygon& own : ownHull) {
        Polygon p = own.Rotated(ownTurn);
        for (const Polygon& theirs : other->hull) {
            Polygon q = theirs.Rotated(otherTurn);
            Vector3 offset = q.centre - p.centre;
            if (offset.x > r) {
                offset.x -= worldWidth;
                if (offset.x > r)
                    continue;
            }
            if (offset.y > r) {
                offset.y -= worldHeight;
                if (offset.y > r)
                    continue;
            }
            p.centre.Set(0.0, 0.0, 0.0);
            q.centre = d;
            if (p.AnyVertexInside(q) || q.AnyVertexInside(p))
                return true;
        }
    }
    return false;
}

bool GameObject::Bounce(GameObject* other)
{
    Vector3 edge(0.0, 0.0, 0.0);
    bool touched = false;
    if (other) {
        for (Polygon& polygon : other->hull) {
            polygon.centre = other->position;
            if (polygon.TouchesPoint(position, &edge)) {
                touched = true;
                break;
            }
        }
    }
    const double ee = edge.Dot(edge);
    Vector3 v = velocity;
    if (touched && ee != 0.0)
        v = edge * (2.0 * (v.Dot(edge) / ee)) - v;
    else
        v = v * -1.0;
    SetVelocity(v);
    return touched && ee != 0.0;
}

int GameObject::ScreenX(int camX) const
{
    return static_cast<int>(position.x - camX + 100.0);
}

int GameObject::ScreenY(int camY) const
{
    return static_cast<int>(-(position.y - camY));
}
