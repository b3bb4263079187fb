#pragma once

#include <string>
#include <vector>

#include "server/game/RobotSkill.h"

// What the operator chooses of the game itself: seats, maps, limits, robots.
struct GameOptions {
    int maxPlayers = 16;
    std::vector<std::string> maps; // empty: every map in the data folder's Maps
    int scoreLimit = 0;            // 0: the mode's own (GameMode::DefaultScoreLimit)
    double roundMinutes = 10.0;    // 0: no time limit
    std::string mode = "dm";       // one GameMode::Make knows
    bool friendlyFire = false;     // in a team game, whether teammates hurt each other
    int bots = 0;                  // robots in the seats people leave free
    int botSkill = kMatchedRobotSkill; // or 1 to 3 for all
    unsigned seed = 0;             // 0: a different game every time
    bool oneMatch = false;         // the game ends with the round that began with its first person
};
