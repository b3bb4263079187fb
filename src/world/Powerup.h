#pragma once

#include <iterator>

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

// How each kind looks, in the world and as an icon, and what the
// instructions call it at their place in the list of powerups.
struct PowerupRow {
    const char* picture;
    const char* name;
    int listed;
};

inline constexpr PowerupRow kPowerups[] = {
    {"pup_triple.tga", "Triple Shot", 3},     {"pup_missile.tga", "Homing Missile", 4},
    {"pup_mine.tga", "Mine", 5},              {"pup_plasma.tga", "Plasma Mine", 6},
    {"pup_tank.tga", "Extra Fuel Tank", 1},   {"pup_fuel.tga", "Full Fuel", 2},
    {"pup_cloak.tga", "Cloaking Device", 0},  {"pup_repulse.tga", "Repulsor", 7},
};

// A pickup of one of eight kinds, floating for 30 seconds. A ship with its
// shield down takes it; anything else knocks it away.
class Powerup : public GameObject {
public:
    static constexpr int kKinds = static_cast<int>(std::size(kPowerups));

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
