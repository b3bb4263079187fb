#pragma once

#include <cstdint>
#include <optional>

#include "net/ShipGrid.h"

class ByteReader;
class ByteWriter;

// A ship's state as the change from one the player holds (its base): the
// fields that differ, each bit of the mask one of them. Positions go as
// how far the ship strayed from where the base's velocity would have
// carried it in the time between, so a ship that coasts costs nothing.
struct ShipDelta {
    enum Field : std::uint8_t {
        kFlags = 0x01,
        kShape = 0x02, // the large tank, z
        kFuel = 0x04,
        kScore = 0x08,
        kCounts = 0x10,
        kPosition = 0x20,
        kVelocity = 0x40,
        kHeading = 0x80,
    };
    // The shape byte: max fuel 200 (else 100), z is 1 (else 0).
    static constexpr std::uint8_t kLargeTank = 0x01;
    static constexpr std::uint8_t kRaised = 0x02;
    // A coarse delta, in a folded run, gives fuel to 1/16, velocity to a
    // whole unit a second and heading to 1/1024 of a turn: steps of the
    // grid this many at once. Its fuel stops at an empty or a full tank,
    // so that those are told exactly. Finer than anything drawn, and each coarse delta is taken
    // against what the player holds, so the rounding never adds up.
    static constexpr std::int32_t kCoarseFuel = 16;
    static constexpr std::int32_t kCoarseVelocity = 32;
    static constexpr std::int32_t kCoarseHeading = 64;
    // A coarse delta never changes the shape; its bit names instead a
    // position that strays less than a unit, in one byte of two nibbles.
    static constexpr std::uint8_t kNearPosition = kShape;

    std::int32_t id = 0;
    std::uint8_t mask = 0;
    std::uint8_t flags = 0;
    std::uint8_t shape = 0;
    std::int32_t fuel = 0; // the change
    std::uint8_t score = 0;
    AmmunitionCounts<std::uint8_t> counts {};
    std::int32_t x = 0, y = 0;   // from where the base would be
    std::int32_t vx = 0, vy = 0; // the change
    std::int16_t heading = 0;    // the change, the short way round
    bool coarse = false;         // its fuel stops at an empty or a full tank

    // The delta from base to now, ms apart; none when a field's change is
    // beyond what a delta holds. A coarse one rounds the velocity's and the
    // heading's changes to the coarse steps.
    static std::optional<ShipDelta> Between(const ShipGrid& base, const ShipGrid& now, std::uint32_t ms,
                                            bool coarse = false);
    // The state it makes of the base, ms apart; none when the values leave
    // the grid.
    std::optional<ShipGrid> Applied(const ShipGrid& base, std::uint32_t ms) const;

    // The record after its tag: the id, the mask, each field of the mask.
    void Write(ByteWriter& out) const;
    static std::optional<ShipDelta> Read(ByteReader& in);
    // The mask and its fields alone, for a ship the reader knows otherwise;
    // coarse ones count the velocity and the heading in coarse steps, and
    // write a near position in a byte. A coarse delta must not change the shape.
    void WriteFields(ByteWriter& out, bool coarse = false) const;
    static std::optional<ShipDelta> ReadFields(ByteReader& in, std::int32_t id, bool coarse = false);
};
