#pragma once

#include "world/Projectile.h"

// A 2 x 2 white square that lives 15 seconds.
class Bullet : public Projectile {
public:
    Bullet();

    bool Draw(int camX, int camY) override;
    void Update(int ms, std::uint64_t now) override;
};
