#pragma once

#include "world/GameObject.h"
#include "world/Lifetime.h"

// A fragment in one of two shapes; lives 10 seconds, dies on any contact.
class Shrapnel : public GameObject {
public:
    Shrapnel();

    bool LoadTextures() override;
    void Update(int ms, std::uint64_t now) override;

    void SetVariant(int v);
    int GetVariant() const { return variant; }

    void StartLife(std::uint64_t now) override { life.Start(now); }
    Lifetime& Life() { return life; }

private:
    int variant = 0;
    Lifetime life{kShrapnelLifetime};
};
