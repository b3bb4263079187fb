#pragma once

#include "platform/Discovery.h"

// The game's own identity in host searches: the player's program and the
// game server look for and answer each other by it.
inline platform::Guid ApplicationGuid()
{
    return {{0x51, 0x75, 0x69, 0x6c, 0x6c, 0x72, 0x6f, 0x63, 0x6b, 0x2d, 0x42, 0x72, 0x69, 0x6e, 0x64, 0x6c}};
}
