#pragma once

#include <random>
#include <vector>

#include "world/Vector3.h"

class Map;
class Navigator;

// Where the teams' flags stand: the bases the map marks, or on a map
// without them (or with marks no flag may stand on) two open places nearly as far apart as any two, with the
// shortest flight between them of such pairs; the draw picks where the
// search starts.
class FlagBases {
public:
    // Red's and Blue's, at cell centres; none on a map without two open
    // places with room around them.
    static std::vector<Vector3> Find(const Map& map, const Navigator& shape, std::mt19937& random);
    // Whether the map marks bases a flag may stand on: two open cells, not
    // the same, joined by a flight. A map file's marks are not trusted.
    static bool Marked(const Map& map, const Navigator& shape);
};
