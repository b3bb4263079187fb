#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

#include "world/GameKey.h"
#include "world/GameObject.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/SoundEvent.h"

enum class Weapon : std::uint8_t { Bullet, TripleShot, Missile, Mine, PlasmaMine, Repulsor };

// Where a weapon's shots leave the ship.
enum class Muzzle : std::uint8_t { Nose, Tail, Centre };

// Where a weapon's icon stands in the inventory, right of the tank's and
// the cloak's; the count of rounds sits on it.
struct InventoryPlace {
    int x, y;
};

// When a robot spends a round: each weapon that has rounds waits for its
// moment, with its target between the ranges and fuel to spare.
enum class Moment : std::uint8_t {
    Aimed,      // no rounds: fired down the nose by the robot's aim
    Engaged,    // at the target it fights
    Chased,     // dropped behind, the target on its tail
    Threatened, // a ship or a homing shot about to reach it, target or not
};

struct RobotUse {
    Moment moment;
    double nearest, farthest; // the target's distance, strictly between
    float fuel;               // it keeps more than this
};

// What is heard where a weapon's shot ends: a raised shield it meets rings
// at the ship, or else its burst, if any, sounds where it was.
struct ShotEnd {
    std::optional<SoundEvent> burst;
    bool ringsShield;
};

// One weapon of a ship: what fires it, what it spends, and how its shots
// leave. A row that needs a ship flag takes the place of the row of the
// same key without it when the ship has the flag.
struct WeaponRow {
    Weapon weapon;
    GameKey key;
    std::uint8_t needs;   // the ship flag it needs, 0 for none
    Ammunition ammunition;
    int reloadMs;         // before its key fires again
    float fuel;           // a firing's cost
    EntityType shot;      // what it puts in the world; kTypeMap: nothing, a push around the ship
    Muzzle from;
    int shots;            // at once, fanned out by spread
    float spread;         // degrees between neighbouring shots
    double speed;         // along the shot's heading
    double inherited;     // the share of the ship's velocity a shot keeps
    int armingMs;         // before a shot may hit its own ship, once clear of the hull
    int pickup;           // the powerup that gives it, -1 for none
    int perPickup;        // rounds a pickup gives
    int most;             // rounds a ship can carry
    InventoryPlace icon;  // the pickup's icon, shown while the ship has the weapon
    SoundEvent launch;    // heard as its shot appears, or as a round is spent for one put in no world
    const char* action;   // what its key is called in the instructions and bindings; null: another row's key
    RobotUse robot;
    ShotEnd end;

    bool PutsInWorld() const { return shot != kTypeMap; }
};

inline constexpr WeaponRow kWeapons[] = {
    {Weapon::Bullet, kKeyFire, 0, Ammunition::None, 200, 0.05f, kTypeBullet, Muzzle::Nose, 1, 0.0f, 500.0, 1.0, 300, -1,
     0, 0, {0, 0}, SoundEvent::Shot, "Fire Bullets",
     {Moment::Aimed, 0.0, 0.0, 0.0f}, {std::nullopt, true}},
    {Weapon::TripleShot, kKeyFire, kFlagTripleShot, Ammunition::None, 200, 0.15f, kTypeBullet, Muzzle::Nose, 3,
     10.0f, 500.0, 1.0, 300, kPowerupTriple, 0, 0, {64, 0}, SoundEvent::TripleShot, nullptr,
     {Moment::Aimed, 0.0, 0.0, 0.0f}, {std::nullopt, true}},
    {Weapon::Missile, kKeyMissile, 0, Ammunition::Missiles, 500, 5.0f, kTypeMissile, Muzzle::Nose, 1, 0.0f, 150.0,
     1.0, 1000, kPowerupMissile, 2, 6, {96, 0}, SoundEvent::MissileLaunch, "Fire Missiles",
     {Moment::Engaged, 150.0, 1e9, 25.0f}, {SoundEvent::Blast, true}},
    {Weapon::Mine, kKeyMine, 0, Ammunition::Mines, 500, 5.0f, kTypeMine, Muzzle::Tail, 1, 0.0f, 0.0, 0.5, 1000,
     kPowerupMine, 2, 4, {128, 0}, SoundEvent::MineDrop, "Fire Mines",
     {Moment::Chased, 0.0, 300.0, 15.0f}, {SoundEvent::Blast, true}},
    {Weapon::PlasmaMine, kKeyPlasmaMine, 0, Ammunition::PlasmaMines, 500, 75.0f, kTypePlasmaMine, Muzzle::Tail, 1,
     0.0f, 0.0, 0.5, 1000, kPowerupPlasma, 1, 1, {160, 0}, SoundEvent::PlasmaMineDrop, "Fire Plasma Mines",
     {Moment::Engaged, 0.0, 260.0, 90.0f}, {SoundEvent::PlasmaBurst, false}},
    {Weapon::Repulsor, kKeyRepulsor, 0, Ammunition::Repulsors, 1000, 30.0f, kTypeMap, Muzzle::Centre, 1, 0.0f, 0.0,
     0.0, 0, kPowerupRepulse, 1, 5, {160, 32}, SoundEvent::Repulsor, "Fire Repulsor",
     {Moment::Threatened, -1.0, 110.0, 40.0f}, {std::nullopt, false}},
};

// Whether no row before the given one has its key.
constexpr bool FirstOfItsKey(std::size_t index)
{
    for (std::size_t i = 0; i < index; ++i) {
        if (kWeapons[i].key == kWeapons[index].key)
            return false;
    }
    return true;
}

constexpr std::size_t CountFireKeys()
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < std::size(kWeapons); ++i)
        count += FirstOfItsKey(i) ? 1 : 0;
    return count;
}

// The keys that fire, in the order of the rows, looked at in that order;
// each reloads alone.
inline constexpr std::array<GameKey, CountFireKeys()> kFireKeys = [] {
    std::array<GameKey, CountFireKeys()> keys {};
    std::size_t next = 0;
    for (std::size_t i = 0; i < std::size(kWeapons); ++i) {
        if (FirstOfItsKey(i))
            keys[next++] = kWeapons[i].key;
    }
    return keys;
}();

// Shots one step can fire at most: the widest row of each key.
constexpr int MostShotsAtOnce()
{
    int most = 0;
    for (const GameKey key : kFireKeys) {
        int widest = 0;
        for (const WeaponRow& row : kWeapons)
            widest = row.key == key && row.shots > widest ? row.shots : widest;
        most += widest;
    }
    return most;
}

// What a fire key is called, or null for a key that fires nothing.
constexpr const char* ActionOf(GameKey key)
{
    for (const WeaponRow& row : kWeapons) {
        if (row.key == key && row.action)
            return row.action;
    }
    return nullptr;
}

constexpr const WeaponRow& WeaponTable(Weapon weapon)
{
    return kWeapons[static_cast<std::size_t>(weapon)];
}

// The weapon a key fires on a ship as it is fitted, or null.
const WeaponRow* WeaponOn(const Ship& ship, GameKey key);

// The first weapon whose shots are entities of the type, or null.
const WeaponRow* WeaponShooting(int type);
