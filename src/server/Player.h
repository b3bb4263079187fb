#pragma once

#include "server/HeldKeys.h"
#include "world/Vector3.h"

class Ship;

// One pilot in the game: a ship of the world and the keys held on it.
// Whoever flies the ship (a person over the network, or anything else that
// decides keys) only ever sets the held keys; the simulation does the rest.
class Player {
public:
    // Pilots in one game at most, people and robots alike.
    static constexpr int kMaxSlots = 64;

    Player(int slot, Ship* ship) : slot(slot), ship(ship) {}

    // A small number of its own, for tables indexed by player.
    int Slot() const { return slot; }
    Ship& GetShip() { return *ship; }
    const Ship& GetShip() const { return *ship; }
    int ShipId() const;
    const char* Name() const;

    const HeldKeys& Keys() const { return keys; }
    void Hold(const HeldKeys& held) { keys = held; }

    // Milliseconds before each weapon may fire again, and that a new ship's
    // free shield has left.
    struct Cooldowns {
        int bullet = 0;
        int missile = 0;
        int mine = 0;
        int plasmaMine = 0;
        int repulsor = 0;
        int spawnShield = 0;
    };
    Cooldowns& Reloading() { return cooldowns; }
    void CoolDown(int ms);

    // Where the ship was before this tick's move: a rebound goes back there.
    const Vector3& LastPosition() const { return lastPosition; }
    void SetLastPosition(const Vector3& at) { lastPosition = at; }

private:
    int slot;
    Ship* ship;
    HeldKeys keys;
    Cooldowns cooldowns;
    Vector3 lastPosition;
};
