#pragma once

#include <cstdint>

#include "world/Team.h"
#include "world/Vector3.h"

// Where a team's flag is in capture the flag. The numbers are the wire's.
enum class FlagPlace : std::uint8_t { Home = 0, Carried = 1, Dropped = 2 };

// What just happened to a flag; Placed is a round's start, no news. The
// numbers are the wire's.
enum class FlagEvent : std::uint8_t { Placed = 0, Taken = 1, Dropped = 2, Returned = 3, Captured = 4 };

// One team's flag: its base, and where it is now.
struct Flag {
    Team team = Team::None;
    FlagPlace place = FlagPlace::Home;
    int carrier = 0; // the ship carrying it, 0 unless carried
    Vector3 home;
    Vector3 at;      // its carrier's position while carried
};
