#pragma once

#include <cstdint>

// Cell kinds of a map.
enum CellKind : std::uint8_t {
    kCellEmpty = 0,
    kCellWall = 1,
    kCellWallLowerRight = 2,
    kCellWallLowerLeft = 3,
    kCellWallUpperLeft = 4,
    kCellWallUpperRight = 5,
    kCellFuel = 6,
    kCellTurretSite = 7, // facing 0..3 (up, right, down, left) in the cell's second byte
    kCellSpawnPoint = 8,
};
