#pragma once

#include <array>
#include <optional>

#include "world/Flag.h"

class NetClient;
class Ship;
class World;

// What the player knows of capture the flag for a frame: each flag and
// each base as last heard, Red's first; empty in any other game.
struct KnownFlags {
    std::array<std::optional<Flag>, kTeams> flags;
    std::array<std::optional<Vector3>, kTeams> bases;
};

KnownFlags FlagsHeard(const NetClient& client);
// The living ship carrying a flag, or null.
const Ship* LivingCarrier(const Flag& flag, World& world);
// Where a flag shows: with its living carrier, else where it was reported.
Vector3 FlagShownAt(const Flag& flag, World& world);
// Each known base, under everything that moves.
void DrawBases(const KnownFlags& known);
// Each flag at its base, where it lies, or held up beside its carrier.
void DrawFlags(const KnownFlags& known, World& world);
