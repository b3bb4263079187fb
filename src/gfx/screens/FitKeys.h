#pragma once

#include <cstddef>
#include <string>

// A list of keys ("A/J") that does not fit its room shows its first key,
// cut to the room, so a column never runs into the next.
inline std::string FitKeys(const std::string& keys, std::size_t room)
{
    if (keys.size() <= room)
        return keys;
    return keys.substr(0, keys.find('/')).substr(0, room);
}
