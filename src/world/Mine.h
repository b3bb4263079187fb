#pragma once

#include "world/Projectile.h"

// A laid mine: lives 30 seconds, is spent on a ship and rebounds from
// anything else.
class Mine : public Projectile {
public:
    Mine();

    bool LoadTextures() override;
    void Update(int ms, std::uint64_t now) override;
    void OnHit(GameObject* other) override;
};
