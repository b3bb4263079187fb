#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/game/Robot.h"
#include "server/game/RobotMatch.h"

class Player;
class Simulation;

// The robots of a game: they take the seats that people leave free, up to
// the number asked for, and give a seat up when a person needs it. Each
// flies its own ship through the same held keys a person sends.
class RobotCrew {
public:
    // At kMatchedRobotSkill each robot matches the person it fights.
    RobotCrew(int wanted, int skillLevel, unsigned seed);

    int Wanted() const { return wanted; }
    void Want(int robots) { wanted = std::max(0, robots); }
    int Count() const { return static_cast<int>(members.size()); }
    // How many robots should fly beside this many people in this many seats.
    int Fitting(int people, int seats) const;

    // A new robot in the game, under a name not taken ("Robot Ace" style),
    // in a design of its own; null when the game is full.
    Player* Recruit(Simulation& game, const std::function<bool(const std::string&)>& taken);
    void Enlist(Player* player);
    // The robot that gives up its seat first (the newest); null without one.
    Player* Newest() const;
    void Dismiss(const Player* player);
    bool Flies(const Player* player) const;

    // Every robot decides the keys it holds for the next tick.
    void Think(const Simulation& game, int ms);
    // Each robot's match to its target, after a tick of ms.
    void Match(const Simulation& game, int ms);
    void Killed(const Player& victim, const Player* killer, DeathCause cause)
    {
        match.Killed(victim, killer, cause);
    }

private:
    struct Member {
        Player* player;
        std::unique_ptr<Robot> robot;
    };

    // The ships enough robots hunt already, besides the one now hunting
    // own: that one does not pick them.
    std::vector<int> Crowded(const std::unordered_map<int, int>& hunters, int own) const;

    int wanted;
    bool matched;
    int skillLevel; // of a robot as it comes
    std::mt19937 random;
    std::vector<Member> members;
    RobotMatch match;
};
