#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapmaker/MapSource.h"

// A map source turned into what the game reads: the map file and the
// radar's picture, once the source reads and passes every check.
class MapMaker {
public:
    // The source's own file name without ".map" names what is made: the
    // game looks a map up by it, and the radar its picture by the map's
    // name, so the two must agree.
    MapMaker(std::string fileName, const std::string& text);

    bool Made() const { return problems.empty(); }
    const std::vector<MapProblem>& Problems() const { return problems; }
    // "FILE:LINE: text", or "FILE:LINE:COLUMN: text" for a cell.
    static std::string Describe(const std::string& path, const MapProblem& problem);

    const MapGrid& Grid() const { return grid; }
    const std::vector<std::uint8_t>& MapFile() const { return mapFile; }
    const std::vector<std::uint8_t>& RadarFile() const { return radarFile; }
    // The grid in figures: size, spawn points, fuel blocks, turret sites.
    std::string Summary() const;

private:
    std::string fileName;
    MapGrid grid;
    std::vector<MapProblem> problems;
    std::vector<std::uint8_t> mapFile;
    std::vector<std::uint8_t> radarFile;
};
