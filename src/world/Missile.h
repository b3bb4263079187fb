#pragma once

#include "world/Projectile.h"

// A projectile that steers towards its target: it turns at most 450
// degrees a second and thrusts along its heading, up to 800 units a second.
class Missile : public Projectile, public Homing {
public:
    Missile();

    bool LoadTextures() override;
    // On its world every missile ends at its lifetime, chasing or not, so
    // that one with nobody to chase does not fly on for ever; then it steers.
    void Update(int ms, std::uint64_t now) override;

    // Turns by angle, at most turnRate x ms / 1000 degrees either way.
    void Turn(float angle, int ms);
    void SetHomingTarget(GameObject* object) override { homingTarget = object; }
    GameObject* HomingTarget() const override { return homingTarget; }
    Homing* AsHoming() override { return this; }
    const Homing* AsHoming() const override { return this; }

    // One homing step on a world of the given size; without a living
    // target it flies straight.
    void Steer(int ms, float worldWidth, float worldHeight);

private:
    GameObject* homingTarget = nullptr;
};
