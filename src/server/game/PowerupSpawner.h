#pragma once

#include <optional>
#include <random>
#include <vector>

#include "world/Vector3.h"

class Map;

// Puts powerups into the field at a steady rate: one every interval while
// fewer than the cap float, each of a random kind, on a random open cell
// (no wall, block or gun next to it) away from every ship.
class PowerupSpawner {
public:
    static constexpr int kIntervalMs = 3000;
    static constexpr std::size_t kCap = 8;
    static constexpr double kClearance = 128.0;

    struct Drop {
        Vector3 at;
        int kind;
    };

    explicit PowerupSpawner(std::mt19937& random) : random(random) {}

    void Restart() { sinceLast = 0; }
    // One tick: a powerup to put down now, if one is due and a place found.
    std::optional<Drop> Tick(int ms, const Map& map, std::size_t floating, const std::vector<Vector3>& ships);
    // The cell and its eight neighbours are open space.
    static bool IsOpen(const Map& map, int column, int row);

private:

    std::mt19937& random;
    int sinceLast = 0;
};
