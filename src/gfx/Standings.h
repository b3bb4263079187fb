#pragma once

#include <string>
#include <vector>

#include "world/Team.h"

class Ship;
class World;

// A ship's name as the scoreboard shows it: its first 13 characters.
std::string ScoreboardName(const Ship& ship);

// One line of the standings: a ship, or in a team game a side's total.
struct Standing {
    std::string name;
    int score;
    Team team;
    bool total; // a side's line, its score the server's
};

// Every ship's name (at most 14 characters) and score, highest score
// first, equal scores by name, equal both in list order.
std::vector<Standing> BuildStandings(World* world);

// A team game's standings: Red's total, then Red's ships as BuildStandings
// orders them; Blue's the same; then any ship with no side yet.
std::vector<Standing> BuildTeamStandings(World* world, int redScore, int blueScore);

// "You Won!" when the local ship has the top score (ties win too),
// otherwise "You Lost"; nobody wins a world without ships.
const char* ResultsBanner(World* world);
// The same for one who watches without a ship: the winner's name with
// "wins", "A draw", or nothing in a world without ships.
std::string OnlookersBanner(World* world);
