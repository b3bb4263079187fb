#pragma once

#include <string>

#include "world/Team.h"

class World;

// How a team game looks: each side's colour on labels, dots and lines,
// and the words for the scores and the winner.
struct TeamTint {
    float r, g, b;
};

// A warm red and a sky blue, both readable on black; white for no side.
TeamTint TintOf(Team team);
// What marks another ship, its name and its radar dot: its side's tint,
// plain red without one.
TeamTint MarkTintOf(Team team);
// Queues a thin ring in the team's tint around a ship's screen point,
// clear of its 32-unit picture; nothing for no side.
void DrawTeamRing(Team team, float screenX, float screenY);
// Makes the team's tint the current drawing colour.
void UseTeamTint(Team team);
// A team game is on while some ship of the world has a side.
bool PlaysTeams(World* world);
// "Red 7  Blue 5".
std::string TeamScoreLine(int red, int blue);
// "Red wins", "Blue wins" or "Draw".
const char* TeamResultsBanner(int red, int blue);
// The side with the higher score; None for a draw.
Team LeadingTeam(int red, int blue);
// The score line at the top of the world picture, each side in its tint.
void DrawTeamScoreLine(int red, int blue);
