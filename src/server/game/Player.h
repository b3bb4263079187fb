#pragma once

#include "world/HeldKeys.h"
#include "world/ShipControls.h"
#include "world/Team.h"
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

    // Its reloads and its free shield: the rules the held keys fly by.
    ShipControls& Controls() { return controls; }

    // Its side in a team game; None in everyone against everyone.
    Team GetTeam() const { return team; }
    void SetTeam(Team side) { team = side; }
    bool IsTeammate(const Player& other) const { return team != Team::None && team == other.team; }

    // Where the ship was before this tick's move: a rebound goes back there.
    const Vector3& LastPosition() const { return lastPosition; }
    void SetLastPosition(const Vector3& at) { lastPosition = at; }

private:
    int slot;
    Ship* ship;
    HeldKeys keys;
    ShipControls controls;
    Vector3 lastPosition;
    Team team = Team::None;
};
