#pragma once

#include <unordered_map>
#include <vector>

class Player;

// How well robots fly against each person: they watch each person's kills
// (the score going up) and deaths, as anyone on the scoreboard could, and
// fly against one who keeps dying as a newcomer would, against one who
// keeps winning as a veteran. Recent form counts most.
class RobotMatch {
public:
    // After each tick, the people seated now; the others are forgotten.
    void Watch(const std::vector<const Player*>& people);
    // The level to fly at against the ship: kDefaultRobotSkill against a
    // robot, nobody, or a person with an even record.
    double LevelAgainst(int shipId) const;

private:
    struct Record {
        double kills = 0.0;
        double deaths = 0.0;
        int score = 0;
        bool alive = false;
    };

    std::unordered_map<int, Record> records; // by ship id
};
