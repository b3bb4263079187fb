#pragma once

#include <vector>

class Ship;
class World;

// The ship a camera without a ship of its own follows: the one the viewer
// chose with Tab while it is there, else a ship named by the caller, else
// the leader. The followed ship heads the world's list, where the camera,
// the radar and the sounds look for the local ship.
class ShipFollower {
public:
    // A new world to look at; the viewer's choice stays for when its ship
    // comes back.
    void Look(World& newWorld);
    // Once a frame: wanted is a ship to follow when the viewer chose none
    // that is there, -1 for the leader.
    void Keep(int wanted);
    // The next ship alive by id, or the one before; with none alive the
    // camera stays.
    void Follow(int step);
    int Followed() const { return followed; }
    // The followed ship, null while there is none.
    const Ship* FollowedShip() const;

private:
    void FollowLeader();
    void FollowShip(Ship* ship);
    std::vector<Ship*> ShipsById() const;

    World* world = nullptr;
    int followed = -1; // the id of the ship the camera follows
    int chosen = -1;   // the id the viewer chose with Tab
};
