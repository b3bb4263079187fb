#pragma once

#include <memory>
#include <string>

#include "gfx/Standings.h"

class RadarPanel;
class World;

// The two frames of a running game: the world with the radar, or the
// standings once the round is over; both end with the frame rate, the
// ping and the console, and a caption at the top when one is given. With
// roundNews, a connected game adds the death and round-clock lines, and
// the scoreboard how many watch.
void DrawGameFrame(RadarPanel* radar, World* world, int elapsedMs, int framesPerSecond,
                   const char* caption = nullptr, bool roundNews = false);
// The connected part of the game frame, inside a frame already begun: the
// world advanced and drawn around the local ship, then the radar.
void DrawConnectedWorld(RadarPanel* radar, World* world, int elapsedMs);
// A banner given takes the place of the game's own; one of its own words
// is drawn in white.
void DrawResultsFrame(World* world, int framesPerSecond, const char* caption = nullptr,
                      const char* banner = nullptr);

// A radar for the left edge of a screen of that height.
std::unique_ptr<RadarPanel> NewRadar(int screenHeight);
// The name of the map a world holds, empty without one.
std::string MapNameOf(World* world);
