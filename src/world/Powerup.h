#pragma once

#include "world/GameObject.h"
#include "world/Lifetime.h"

enum PowerupKind : int {
    kPowerupTriple = 0,
    kPowerupMissile = 1,
    kPowerupMine = 2,
    kPowerupPlasma = 3,
    kPowerupTank = 4,
    kPowerupFuel = 5,
    kPowerupCloak = 6,
    kPowerupRepulse = 7,
};

// A pickup of one of eight kinds, floating for 30 seconds. A ship with its
// shield down takes it; anything else knocks it away.
class Powerup : public GameObject {
public:
    static constexpr int kKinds = 8;

    Powerup();

    bool LoadTextures() override;
    void Update(int ms, std::uint64_t now) override;
    void OnHit(GameObject* other) override;

    void SetKind(int k);
    int GetKind() const { return kind; }
    static const char* PictureOf(int kind);

    void StartLife(std::uint64_t now) override { life.Start(now); }
    Lifetime& Life() { return life; }

private:
    int kind = kPowerupTriple;
    Lifetime life{kPowerupLifetime};
};
