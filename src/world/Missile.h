#pragma once

#include "world/Projectile.h"

// A projectile that steers towards its target: it turns at most 450
// degrees a second and thrusts along its heading, up to 800 units a second.
class Missile : public Projectile {
public:
    Missile();

    bool LoadTextures() override;
    void Update(int ms) override;

    // Turns by angle, at most turnRate x ms / 1000 degrees either way.
    void Turn(float angle, int ms);
    void SetHomingTarget(GameObject* object) { homingTarget = object; }
    GameObject* HomingTarget() const { return homingTarget; }

    // One homing step on a world of the given size at the given tick.
    void Steer(int ms, float worldWidth, float worldHeight, std::uint32_t now);

private:
    GameObject* homingTarget = nullptr;
};
