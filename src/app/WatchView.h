#pragma once

#include <string>

#include "app/ShipFollower.h"

class World;

// What a watcher without a ship sees of a live game: the ship it follows
// (the leader until Tab or Shift+Tab picks another), or a free camera
// that the arrow keys move over the whole map, from where the view was.
class WatchView {
public:
    // The free camera's speed, in world units a second.
    static constexpr double kCameraSpeed = 700.0;

    // The keys of one frame: steps are the Tab presses (Shift+Tab -1),
    // the arrows are held.
    struct Keys {
        int step = 0;
        bool left = false;
        bool right = false;
        bool up = false;
        bool down = false;
    };

    // Once a frame, before the world is drawn.
    void Frame(World& world, const Keys& keys, int frameMs);
    bool IsFree() const { return free; }
    // Where the free camera looks.
    double CameraX() const { return cameraX; }
    double CameraY() const { return cameraY; }
    // "Watching: following Vega" or "Watching: free camera", and the keys.
    std::string Caption() const;

private:
    void MoveCamera(World& world, const Keys& keys, int frameMs);

    ShipFollower follower;
    World* looked = nullptr;
    bool free = false;
    double cameraX = 0.0;
    double cameraY = 0.0;
};
