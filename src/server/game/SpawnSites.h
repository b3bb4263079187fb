#pragma once

#include <vector>

#include "world/Vector3.h"

class Map;
class Navigator;

// Where a new ship may appear on a map, each place with the way it faces:
// the one with the most room, so that thrust at once does not fly it into
// the wall beside it. Worked out once a map, since every spawn reads them.
class SpawnSites {
public:
    // How far a new ship must see clear ahead: 1.5 s of full thrust from
    // rest (up to top speed in 1.1 s) carries it about 730 units.
    static constexpr double kRoom = 800.0;

    struct Site {
        Vector3 at;
        float heading;
        bool roomy; // kRoom of open space ahead
    };

    // The map's spawn points, or every open cell of a map without any,
    // facing where its shape leaves the most room.
    void Find(const Map& map, const Navigator& shape);
    const std::vector<Site>& All() const { return sites; }

private:
    std::vector<Site> sites;
};
