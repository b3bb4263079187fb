#pragma once

#include <string>

#include "gfx/Drawable.h"
#include "gfx/FlagView.h"

class Ship;
class World;

// The column down the left edge during a game: the minimap around what
// the screen shows (the local ship, or a watcher's free camera) with
// opponents as red dots, the fuel gauge, the scoreboard
// and the icons of what the ship carries. In a team game the dots and the
// scoreboard's lines take their sides' tints, the scoreboard by side; in
// capture the flag the bases and flags are marked in their sides' tints.
class RadarPanel : public Drawable {
public:
    RadarPanel() = default;

    void SetSize(float newWidth, float newHeight)
    {
        width = newWidth;
        height = newHeight;
    }
    void SetMapName(const char* name);
    // A picture's file to use instead of the one found by the map's name.
    void SetPicture(const std::string& path) { picture = path; }
    void SetWorld(World* newWorld) { world = newWorld; }
    // The sides' totals a team game's scoreboard shows.
    void SetTeamScores(int red, int blue)
    {
        redScore = red;
        blueScore = blue;
    }

    void SetFlags(const KnownFlags& known) { flags = known; }
    // How many watch the game without a ship; a line under the scores
    // says so when any do.
    void SetWatchers(int count) { watchers = count; }

    bool LoadTextures() override;
    bool Draw(int x, int y) override;
    void DrawIcon(int kind, int x, int y);

    // Where an opponent's dot goes relative to the minimap's centre: the
    // difference folded onto the torus, the world squeezed onto the square.
    static void DotOffset(double dx, double dy, double worldWidth, double worldHeight, float halfSide, float& outX,
                          float& outY);

private:
    void DrawFrame(float x, float y, float fill);
    // Its middle, where the screen looks: the local ship, or a free
    // camera's spot; nothing without either.
    struct Centre {
        bool known = false;
        double x = 0.0;
        double y = 0.0;
        const Ship* ship = nullptr; // in the middle, drawn green
    };
    Centre CentreOf(const Ship* local) const;
    void DrawMinimap(float x, float y, const Centre& centre, double worldWidth, double worldHeight);
    void DrawScoreboard(float x, float y);
    // The lines it drew.
    int DrawTeamScoreboard(float left, float top);
    void DrawDots(float x, float y, const Centre& centre, double worldWidth, double worldHeight);
    void DrawInventory(float x, float y, const Ship& local);

    float height = 0.0f;
    float width = 0.0f;
    float border = 2.0f;
    std::string mapName;
    bool hasMapName = false;
    std::string picture;
    CTexture* mapPicture = nullptr; // none: the minimap is black
    World* world = nullptr;
    int redScore = 0;
    int blueScore = 0;
    KnownFlags flags;
    int watchers = 0;
};
