#pragma once

#include <random>
#include <unordered_map>
#include <vector>

#include "server/game/Navigator.h"
#include "server/game/RobotSkill.h"
#include "world/HeldKeys.h"
#include "world/Vector3.h"

struct Flag;
class Player;
class Ship;
class Simulation;

// A pilot that is not a person: each tick it looks at what any player could
// see (the map, the ships that are not cloaked, what flies about) and holds
// keys, exactly as a person's ControlMessage would. It keeps off walls,
// refuels when low, picks up powerups, hunts the nearest visible opponent
// and fires leading it, shields against what is about to hit it, and uses
// its devices when they help. In capture the flag it carries the enemy's
// flag home, chases the carrier of its own, brings it back when dropped,
// and either goes for the enemy's flag or guards its own.
class Robot {
public:
    Robot(const RobotSkill& skill, unsigned seed);

    // The keys to hold for the next tick of ms; it only looks at the game.
    HeldKeys Think(const Simulation& game, const Player& self, int ms);
    // Flies from now on as well as this.
    void Match(const RobotSkill& level) { skill = level; }
    // Ships it does not pick to hunt: others hunt them enough.
    void LeaveAlone(std::vector<int> ships) { spared = std::move(ships); }
    // The ship it hunts, 0 for none.
    int TargetShip() const { return targetShip; }

private:
    enum class Goal { Wander, Hunt, Refuel, Pickup, Flag, Escort };

    // What it makes up its mind about, at the pace of its reactions.
    void Decide(const Simulation& game, const Player& self);
    void ChooseTarget(const Simulation& game, const Player& self);
    bool PlanRefuel(const Simulation& game, const Ship& ship);
    bool PlanPickup(const Simulation& game, const Ship& ship);
    // Whether it carries the enemy's flag, which it takes home.
    static bool Carries(const Simulation& game, const Player& self);
    void PlanCarry(const Simulation& game, const Player& self);
    // What its own flag and the enemy's ask of it; false when they ask
    // nothing and it fights as in any game.
    bool PlanFlag(const Simulation& game, const Player& self);
    // Whether no living teammate is nearer a point than it.
    bool NearestOfSide(const Simulation& game, const Player& self, const Vector3& to) const;
    // After its own flag, carried off or lying; false when its carrier is not seen.
    bool Recover(const Simulation& game, const Player& self, const Flag& mine);
    // After the carrier of its own flag; false when that ship is not seen.
    bool HuntCarrier(const Simulation& game, const Player& self, const Flag& mine);
    // Beside its side's carrier, fighting the enemies that come near it.
    bool PlanEscort(const Simulation& game, const Player& self, const Flag& theirs);
    // Towards a point round the walls; stopping there when it is to stay.
    void Head(const Ship& ship, const Vector3& to, bool stay);
    void PlanWander(const Ship& ship);
    void ConsiderDevices(const Simulation& game, const Ship& ship);
    // How it flies and fights from one tick to the next.
    HeldKeys Steer(const Simulation& game, const Ship& ship);
    // The velocity it would like to have, closing on a target it fights.
    Vector3 Desired(const Vector3& me, const Ship* target);
    Vector3 KeptOffWalls(const Ship& ship, Vector3 desired) const;
    struct Peril {
        bool danger = false; // it must brake now
        bool impact = false; // too late to brake
        Vector3 brake;       // the change of velocity braking asks for
    };
    static Vector3 Braked(const Vector3& brake, const Vector3& wanted);
    static double Stopping(const Ship& ship, const Vector3& direction, double speed);
    Peril PerilAhead(const Ship& ship, const Vector3& v) const;
    HeldKeys Flown(const Ship& ship, const Vector3& v, const Vector3& steer, const Ship* target, bool danger) const;
    bool UnderFire(const Simulation& game, const Ship& ship);
    bool ShipClosing(const Simulation& game, const Ship& ship) const;
    bool HomingShotClosing(const Simulation& game, const Ship& ship) const;
    const Ship* Target(const Simulation& game) const;
    bool Chance(float odds);

    RobotSkill skill;
    std::mt19937 random;
    const Navigator* navigator = nullptr; // the game's, as of the last think
    int sinceDecision = 1 << 20;
    Goal goal = Goal::Wander;
    Vector3 destination;     // where the route ends
    Vector3 waypoint;        // the next point it flies to on the route
    bool arrived = false;    // at the destination: it holds still there
    bool staying = false;    // heading for a flag's place to stay there
    int targetShip = 0;      // the ship id it hunts, 0 for none
    // How long each ship has been seen alive: a ship that has just come
    // back is given a moment before it is hunted.
    std::unordered_map<int, int> aliveFor;
    std::vector<int> spared;
    bool engaged = false;    // the target is near and in sight: it aims and fires
    float aimError = 0.0f;
    int stuckMs = 0;
    int wanderMs = 0;
    HeldKeys devices;        // launched on the next tick, once
};
