#pragma once

#include <unordered_map>
#include <vector>

#include "server/game/SimulationListener.h"

class Player;

// How well robots fly against each person: they count each person's kills
// and deaths, as anyone reading the console could, and fly against one who
// keeps dying as a newcomer would, against one who keeps winning as a
// veteran. Recent form counts most, and who just joined counts as one who
// keeps dying: a first minute is not spent respawning.
class RobotMatch {
public:
    // After each tick of ms, the people seated now; the others are
    // forgotten.
    void Watch(const std::vector<const Player*>& people, int ms = 0);
    // A ship killed: a death for a person who died other than by changing
    // sides, a kill for a person who killed another. Scores are no guide:
    // a flag's capture or return is not a kill.
    void Killed(const Player& victim, const Player* killer, DeathCause cause);
    // The level to fly at against the ship: kDefaultRobotSkill against a
    // robot, nobody, or a person with as many kills as deaths.
    double LevelAgainst(int shipId) const;
    // How many robots may hunt the ship at once: a person robots fly gently
    // against is not also swarmed, and is not hunted at all until it has
    // flown a while since it came back.
    int HuntersAllowed(int shipId) const;

private:
    struct Record {
        double kills = 0.0;
        double deaths = 0.0;
        int flownMs = 0; // since the ship last came back
    };

    std::unordered_map<int, Record> records; // by ship id
};
