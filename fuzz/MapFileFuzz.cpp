#include <cstddef>
#include <cstdint>

#include "world/Map.h"

// Any bytes as a ".smp" file: the reader never reads past them or
// allocates what they cannot back, and every cell query stays in bounds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Map map;
    map.LoadFromBytes(data, size);
    for (int c = -1; c <= map.Columns(); ++c)
        map.GetTilePolygon(c, map.Rows());
    char name[16];
    map.GetName(name, sizeof name);
    return 0;
}
