#pragma once

#include "world/GameObject.h"

class Map;

// A wall or fuel cell of the map as an object of its own, of the map's
// type (0), so that contacts with walls go through the entities' Collides
// and OnHit like any other and rebounds find the cell's edges. One stands
// for every cell of its shape: it is moved to the cell being tested.
class WallCell : public GameObject {
public:
    // Outlines reach a unit past their 32-unit cell, 17 each way: their
    // corners are this far from the centre.
    static constexpr float kCornerDistance = 24.05f;

    explicit WallCell(const Polygon& outline);

    void MoveTo(const Map& map, int column, int row);
};
