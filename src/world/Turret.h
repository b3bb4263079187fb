#pragma once

#include "world/GameObject.h"

enum TurretDirection : int {
    kTurretUp = 0,
    kTurretRight = 1,
    kTurretDown = 2,
    kTurretLeft = 3,
};

// A gun emplacement facing one of four ways. A hit wrecks it; it shows the
// wreck in place and comes back by itself 15 seconds later.
class Turret : public GameObject {
public:
    static constexpr int kRespawnDelay = 15000;

    Turret();

    bool LoadTextures() override;
    bool Draw(int camX, int camY) override;
    void Respawn(float x, float y) override;

    void SetDirection(int d);
    int GetDirection() const { return direction; }
    const Vector3& MuzzleOffset() const { return muzzleOffset; }
    // The pictures of a facing, alive and wrecked; null outside 0..3.
    static const char* AlivePicture(int d);
    static const char* DeadPicture(int d);

private:
    int direction = kTurretUp;
    Vector3 muzzleOffset;
};
