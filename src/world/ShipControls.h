#pragma once

#include <array>
#include <cstddef>
#include <limits>

#include "world/HeldKeys.h"
#include "world/Vector3.h"
#include "world/Weapons.h"

class Ship;

// Where a held refuel key draws fuel from: on the server, the fuel blocks.
class FuelSource {
public:
    // Up to wanted fuel from a block within the ship's reach, with the
    // block's centre; 0 when none is in reach.
    virtual float Draw(const Ship& ship, float wanted, int& linkX, int& linkY) = 0;

protected:
    ~FuelSource() = default;
};

// One shot fired (or the repulsor's push, from the ship's centre): whoever
// steps the ship puts it in the world.
struct LaunchRequest {
    Weapon weapon;
    Vector3 at;
    Vector3 velocity;
    float heading;
};

// What one step fired, in firing order.
class Launches {
public:
    const LaunchRequest* begin() const { return list.data(); }
    const LaunchRequest* end() const { return list.data() + count; }
    std::size_t size() const { return count; }
    void Add(const LaunchRequest& request) { list[count++] = request; }

private:
    std::array<LaunchRequest, MostShotsAtOnce()> list;
    std::size_t count = 0;
};

// How the held keys fly a ship: turning, thrust, shield, cloak and
// refuelling, each paid for from the tank, and every weapon with its
// reload and what a firing spends. The server steps every ship through
// it; the player's program can step its own ship alike.
class ShipControls {
public:
    // A ship come back is shielded this long for free, so that it is not
    // shot down before its pilot has found it.
    static constexpr int kSpawnShieldMs = 3000;

    // Everything reloaded; shielded for free for a while.
    explicit ShipControls(int freeShieldMs = 0) : freeShield(freeShieldMs) {}

    // One step of ms. A dead ship only reloads. Refuelling needs a source;
    // room is how many more shots the world takes: a firing that does not
    // fit spends nothing.
    Launches Step(Ship& ship, const HeldKeys& keys, int ms, FuelSource* fuel = nullptr,
                  std::size_t room = std::numeric_limits<std::size_t>::max());

    // The weapons' part of a step alone, for a ship another step flew.
    Launches Shoot(Ship& ship, const HeldKeys& keys, int ms,
                   std::size_t room = std::numeric_limits<std::size_t>::max());

    int ReloadLeft(GameKey key) const;
    void ShieldFor(int ms) { freeShield = ms; }

private:
    void Reload(int ms);
    void Fly(Ship& ship, const HeldKeys& keys, int ms);
    static void Refuel(Ship& ship, FuelSource& source, bool held, int ms);
    void Fire(Ship& ship, const HeldKeys& keys, std::size_t room, Launches& fired);

    std::array<int, std::size(kFireKeys)> reload {};
    int freeShield;
};
