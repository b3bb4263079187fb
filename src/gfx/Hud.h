#pragma once

#include <string>
#include <vector>

class RadarPanel;
class World;

// The two frames of a running game: the world with the radar, or the
// standings once the round is over; both end with the frame rate, the
// ping and the console.
void DrawGameFrame(RadarPanel* radar, World* world, int elapsedMs, int framesPerSecond);
// The connected part of the game frame, inside a frame already begun: the
// world advanced and drawn around the local ship, then the radar.
void DrawConnectedWorld(RadarPanel* radar, World* world, int elapsedMs);
void DrawResultsFrame(World* world, int framesPerSecond);

struct Standing {
    std::string name;
    int score;
};

// Every ship's name (at most 14 characters) and score, highest score
// first, equal scores by name, equal both in list order.
std::vector<Standing> BuildStandings(World* world);

// "You Won!" when the local ship has the top score (ties win too),
// otherwise "You Lost"; nobody wins a world without ships.
const char* ResultsBanner(World* world);
