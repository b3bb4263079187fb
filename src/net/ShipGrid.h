#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "world/Ammunition.h"
#include "world/Vector3.h"

class NetMessage;

// A position, motion and heading on the compact states' grid: positions
// to an eighth of a unit, velocities to a 32nd of a unit a second,
// headings to 1/182 of a degree.
struct GridMotion {
    static constexpr double kPositionSteps = 8.0;
    static constexpr double kVelocitySteps = 32.0;
    static constexpr double kHeadingStep = 360.0 / 65536.0; // exact in binary
    static constexpr int kNarrowBits = 16;
    static constexpr int kWideBits = 24;

    std::int32_t x = 0, y = 0, vx = 0, vy = 0;
    std::uint16_t heading = 0;
    bool raised = false; // z is 1, else 0

    // The values on the grid; none when they do not fit 24 bits, or z is
    // neither 0 nor 1, or the velocity has a z.
    static std::optional<GridMotion> Of(const Vector3& at, const Vector3& moving, float heading);
    // Whether every coordinate fits 16 bits.
    bool Narrow() const;
    void Values(Vector3& at, Vector3& moving, float& facing) const;

    bool operator==(const GridMotion&) const = default;
};

// A ship's state as its compact record holds it: the values on the grid,
// fuel to 1/256.
struct ShipGrid {
    static constexpr double kFuelSteps = 256.0;

    std::int32_t id = 0;
    std::uint8_t flags = 0;
    bool largeTank = false; // max fuel 200, else 100
    std::uint16_t fuel = 0;
    std::uint8_t score = 0;
    AmmunitionCounts<std::uint8_t> counts {};
    GridMotion motion;

    // None when the state's values do not fit the grid.
    static std::optional<ShipGrid> Of(const NetMessage& state);
    // The state message these values make.
    void Into(NetMessage& state) const;

    bool operator==(const ShipGrid&) const = default;
};
