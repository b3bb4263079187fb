#pragma once

#include <cstdint>

#include "world/FuelCharge.h"
#include "world/GameObject.h"

// Whom a ship's death against a kind of thing counts for.
enum class Blame : std::uint8_t {
    Pilot,   // flown into it: the ship itself
    Shooter, // whoever fired it: the ship's own, another's or a gun's
    Rammer,  // the other ship, if it lived; nobody if both died
};

// What a raised shield does against a kind of thing.
enum class ShieldDoes : std::uint8_t { Nothing, Bounces, Pays };

// What a ship's touch with each kind of thing does. Without a shield it
// takes a powerup and dies of anything else; a shield that has to pay and
// cannot fails, and the ship dies.
struct ContactRow {
    EntityType with;
    ShieldDoes shield;
    float charge;      // Bounces: at top speed, by the square of the impact's share of it; Pays: a hit
    bool hurtsTurrets; // guns fall to it, fired at them
    Blame blame;

    bool IsShot() const { return blame == Blame::Shooter; }
};

inline constexpr ContactRow kContacts[] = {
    {kTypeMap, ShieldDoes::Bounces, kBounceCharge, false, Blame::Pilot},
    {kTypeShip, ShieldDoes::Bounces, kBounceCharge, false, Blame::Rammer},
    {kTypeTurret, ShieldDoes::Nothing, 0.0f, false, Blame::Pilot},
    {kTypeBullet, ShieldDoes::Pays, 8.0f, true, Blame::Shooter},
    {kTypeMissile, ShieldDoes::Pays, 40.0f, true, Blame::Shooter},
    {kTypeMine, ShieldDoes::Nothing, 0.0f, false, Blame::Shooter},
    {kTypePlasmaMine, ShieldDoes::Nothing, 0.0f, false, Blame::Shooter},
    {kTypeShrapnel, ShieldDoes::Nothing, 0.0f, true, Blame::Shooter},
    {kTypePowerup, ShieldDoes::Nothing, 0.0f, false, Blame::Pilot},
};

// The row of an entity type, or null for a type without one.
const ContactRow* ContactOf(int type);

// Whether a ship's own shot, armed and flown so far from that ship (the
// path of the one as seen from the other) on a world of the given size,
// may hit it: within about a screen, and short of a lap of the shorter
// side. However fast the ship flies, a shot that meets it round the torus
// has gone that lap from it, and never comes back at its owner from out of
// sight; others' ships it hits all its life.
bool HitsItsOwnShip(double flown, int worldWidth, int worldHeight);
