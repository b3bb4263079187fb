#include <cstddef>
#include <cstdint>
#include <string>

#include "mapmaker/MapMaker.h"
#include "world/Map.h"

// Any text as a map source: the reader and the checks stay within the
// grid whatever the rows hold, and a source that passes makes a file that
// the game reads back to the same size and bases.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MapMaker maker("Fuzz", std::string(reinterpret_cast<const char*>(data), size));
    for (const MapProblem& problem : maker.Problems())
        MapMaker::Describe("Fuzz.map", problem);
    if (!maker.Made())
        return 0;
    Map map;
    const MapGrid& grid = maker.Grid();
    if (!map.LoadFromBytes(maker.MapFile().data(), maker.MapFile().size()) || map.Columns() != grid.columns ||
        map.Rows() != grid.rows || map.Bases().size() != grid.bases.size() || maker.RadarFile().size() < 54)
        __builtin_trap();
    return 0;
}
