#include "app/WatchView.h"

#include <cmath>

#include "gfx/Standings.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

void WatchView::Frame(World& world, const Keys& keys, int frameMs)
{
    if (looked != &world) {
        looked = &world;
        follower.Look(world);
    }
    // Tab leaves the free camera for a ship; an arrow leaves the ship for
    // the free camera, from where the view was.
    if (keys.step != 0) {
        free = false;
        follower.Follow(keys.step);
    }
    follower.Keep(-1);
    if (!free && (keys.left || keys.right || keys.up || keys.down)) {
        if (const Ship* ship = follower.FollowedShip()) {
            cameraX = ship->Position().x;
            cameraY = ship->Position().y;
        }
        free = true;
    }
    if (free)
        MoveCamera(world, keys, frameMs);
}

void WatchView::MoveCamera(World& world, const Keys& keys, int frameMs)
{
    const double step = kCameraSpeed * frameMs / 1000.0;
    cameraX += step * ((keys.right ? 1 : 0) - (keys.left ? 1 : 0));
    // Down the screen is down the world's y.
    cameraY += step * ((keys.down ? 1 : 0) - (keys.up ? 1 : 0));
    // Round the torus, so the camera never strays from the map's images.
    if (const Map* map = world.GetMap(); map && map->WorldWidth() > 0 && map->WorldHeight() > 0) {
        const double width = map->WorldWidth(), height = map->WorldHeight();
        cameraX -= width * std::floor(cameraX / width);
        cameraY -= height * std::floor(cameraY / height);
    }
}

std::string WatchView::Caption() const
{
    if (free)
        return "Watching: free camera   Tab follows a ship";
    const Ship* ship = follower.FollowedShip();
    const std::string who = ship && ship->Name() ? "following " + ScoreboardName(*ship) : "waiting for a ship";
    return "Watching: " + who + "   Tab next ship, arrows free camera";
}
