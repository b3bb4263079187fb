#pragma once

#include "world/GameObject.h"
#include "world/Lifetime.h"

// What ships fire or drop: bullets, missiles, mines and plasma mines, each
// living a fixed time from its making.
class Projectile : public GameObject {
public:
    explicit Projectile(std::uint32_t lifetime) : life(lifetime) {}

    void StartLife(std::uint64_t now) override { life.Start(now); }
    Lifetime& Life() { return life; }
    const Lifetime& Life() const { return life; }

protected:
    // Kills the projectile once it has outlived its time.
    void ExpireAt(std::uint64_t now)
    {
        if (life.Over(now))
            Kill();
    }

private:
    Lifetime life;
};
