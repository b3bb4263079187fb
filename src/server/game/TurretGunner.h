#pragma once

#include <vector>

#include "world/Vector3.h"

class Ship;
class Turret;

// The gun of one turret. It turns towards the nearest visible ship within
// its reach and its arc (either side of the way the turret faces), leads
// it by the bullet's flight time, and fires whenever it points there and
// has reloaded; with nobody to shoot it swings back to its facing.
class TurretGunner {
public:
    static constexpr double kReach = 400.0;
    static constexpr float kArc = 80.0f;       // degrees either side of the facing
    static constexpr float kTurnRate = 180.0f; // degrees a second
    static constexpr float kSteadyAngle = 4.0f;
    static constexpr int kReloadMs = 1000;
    static constexpr double kBulletSpeed = 400.0;

    explicit TurretGunner(int direction);

    // The heading a turret of the direction faces (0 up, 1 right, 2 down, 3 left).
    static float FacingHeading(int direction);

    // One tick: picks a target among the ships, turns, and says whether it
    // fires now (along Aim()).
    bool Tick(const Turret& turret, const std::vector<const Ship*>& ships, int ms, float worldWidth,
              float worldHeight);

    // The squared distance to a point the gun can reach and turn to, or -1
    // when the point is out of its reach or arc.
    double SquaredReachTo(const Turret& turret, const Vector3& at, float worldWidth, float worldHeight) const;

    float Aim() const { return aim; }
    // Where a bullet fired now starts, and its velocity.
    Vector3 Muzzle(const Turret& turret) const;
    Vector3 BulletVelocity() const;

private:
    const Ship* Choose(const Turret& turret, const std::vector<const Ship*>& ships, float worldWidth,
                       float worldHeight) const;

    float facing;
    float aim;
    int reload = 0;
};
