#pragma once

#include <cstdint>
#include <vector>

#include "mapmaker/MapSource.h"

// The radar's picture of a map: walls and fuel blocks to scale on a dark
// square, stretched over the radar whatever the map's shape.
class RadarPicture {
public:
    // Four pixels a cell at least, in a power-of-two square no larger than
    // a card of any age takes as one texture.
    static constexpr int kSmallest = 64;
    static constexpr int kLargest = 1024;

    explicit RadarPicture(const MapGrid& grid);

    int Side() const { return side; }
    // RGBA, top row first.
    const std::vector<std::uint8_t>& Rgba() const { return rgba; }
    // The ".bmp" file the radar reads.
    std::vector<std::uint8_t> Bitmap() const;

private:
    int side = kSmallest;
    std::vector<std::uint8_t> rgba;
};
