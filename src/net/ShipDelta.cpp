#include "net/ShipDelta.h"

#include <algorithm>
#include <limits>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "net/Varint.h"

namespace {

// Where the base's velocity carries a coordinate in ms: a velocity step
// is a quarter of a position step a second.
std::int64_t MovedOn(std::int32_t at, std::int32_t velocity, std::uint32_t ms)
{
    const std::int64_t travelled = static_cast<std::int64_t>(velocity) * ms;
    const std::int64_t half = travelled < 0 ? -2000 : 2000;
    return at + (travelled + half) / 4000;
}

bool Fits32(std::int64_t value)
{
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

std::uint8_t ShapeOf(const ShipGrid& state)
{
    return static_cast<std::uint8_t>((state.largeTank ? ShipDelta::kLargeTank : 0) |
                                     (state.motion.raised ? ShipDelta::kRaised : 0));
}

bool WithinWide(std::int64_t value, bool isSigned)
{
    const std::int64_t span = std::int64_t{1} << GridMotion::kWideBits;
    return isSigned ? value >= -span / 2 && value < span / 2 : value >= 0 && value < span;
}

// The change on a grid of that many steps, the nearest, halves up.
std::int32_t Rounded(std::int32_t change, std::int32_t steps)
{
    const std::int64_t half = steps / 2;
    const std::int64_t down = (static_cast<std::int64_t>(change) + half) / steps;
    const bool below = (static_cast<std::int64_t>(change) + half) % steps < 0;
    return static_cast<std::int32_t>((down - (below ? 1 : 0)) * steps);
}

std::int32_t FullTank(const ShipGrid& state)
{
    return static_cast<std::int32_t>((state.largeTank ? 200 : 100) * ShipGrid::kFuelSteps);
}

// The coarse change of fuel: the nearest step, or past an empty or a full
// tank when the tank is that, for the reader to stop there.
std::int32_t CoarseFuel(const ShipGrid& base, const ShipGrid& now)
{
    constexpr std::int32_t step = ShipDelta::kCoarseFuel;
    const auto up = [](std::int32_t amount) { return (amount + step - 1) / step * step; };
    if (now.fuel == 0)
        return -up(base.fuel);
    if (now.fuel >= FullTank(now) && base.fuel <= FullTank(now))
        return up(FullTank(now) - base.fuel);
    return Rounded(now.fuel - base.fuel, step);
}

bool Nibble(std::int32_t value)
{
    return value >= -8 && value < 8;
}

std::int32_t FromNibble(unsigned nibble)
{
    return static_cast<std::int32_t>(nibble & 0x0F) - (nibble & 0x08 ? 16 : 0);
}

} // namespace

std::optional<ShipDelta> ShipDelta::Between(const ShipGrid& base, const ShipGrid& now, std::uint32_t ms, bool coarse)
{
    const GridMotion& was = base.motion;
    const GridMotion& is = now.motion;
    const std::int64_t x = is.x - MovedOn(was.x, was.vx, ms);
    const std::int64_t y = is.y - MovedOn(was.y, was.vy, ms);
    if (base.id != now.id || !Fits32(x) || !Fits32(y))
        return std::nullopt;
    ShipDelta delta;
    delta.id = now.id;
    const auto change = [&](bool differs, Field field) { delta.mask |= differs ? field : 0; };
    change(base.flags != now.flags, kFlags);
    change(ShapeOf(base) != ShapeOf(now), kShape);
    change(base.score != now.score, kScore);
    change(base.counts != now.counts, kCounts);
    change(x != 0 || y != 0, kPosition);
    delta.flags = now.flags;
    delta.shape = ShapeOf(now);
    delta.fuel = now.fuel - base.fuel;
    delta.score = now.score;
    delta.counts = now.counts;
    delta.x = static_cast<std::int32_t>(x);
    delta.y = static_cast<std::int32_t>(y);
    delta.vx = is.vx - was.vx;
    delta.vy = is.vy - was.vy;
    delta.heading = static_cast<std::int16_t>(static_cast<std::uint16_t>(is.heading - was.heading));
    if (coarse) {
        delta.coarse = true;
        delta.fuel = CoarseFuel(base, now);
        delta.vx = Rounded(delta.vx, kCoarseVelocity);
        delta.vy = Rounded(delta.vy, kCoarseVelocity);
        // Half a turn either way is the same heading.
        delta.heading = static_cast<std::int16_t>(static_cast<std::uint16_t>(Rounded(delta.heading, kCoarseHeading)));
    }
    change(delta.fuel != 0, kFuel);
    change(delta.vx != 0 || delta.vy != 0, kVelocity);
    change(delta.heading != 0, kHeading);
    return delta;
}

std::optional<ShipGrid> ShipDelta::Applied(const ShipGrid& base, std::uint32_t ms) const
{
    ShipGrid now = base;
    GridMotion& motion = now.motion;
    const std::int64_t x = MovedOn(base.motion.x, base.motion.vx, ms) + (mask & kPosition ? this->x : 0);
    const std::int64_t y = MovedOn(base.motion.y, base.motion.vy, ms) + (mask & kPosition ? this->y : 0);
    const std::int64_t vx = static_cast<std::int64_t>(motion.vx) + (mask & kVelocity ? this->vx : 0);
    const std::int64_t vy = static_cast<std::int64_t>(motion.vy) + (mask & kVelocity ? this->vy : 0);
    std::int64_t tank = static_cast<std::int64_t>(now.fuel) + (mask & kFuel ? fuel : 0);
    if (coarse)
        tank = std::clamp<std::int64_t>(tank, 0, FullTank(base));
    if (id != base.id || !WithinWide(x, false) || !WithinWide(y, false) || !WithinWide(vx, true) ||
        !WithinWide(vy, true) || tank < 0 || tank > 0xFFFF)
        return std::nullopt;
    motion.x = static_cast<std::int32_t>(x);
    motion.y = static_cast<std::int32_t>(y);
    motion.vx = static_cast<std::int32_t>(vx);
    motion.vy = static_cast<std::int32_t>(vy);
    now.fuel = static_cast<std::uint16_t>(tank);
    if (mask & kHeading)
        motion.heading = static_cast<std::uint16_t>(motion.heading + heading);
    if (mask & kFlags)
        now.flags = flags;
    if (mask & kShape) {
        now.largeTank = shape & kLargeTank;
        motion.raised = shape & kRaised;
    }
    if (mask & kScore)
        now.score = score;
    if (mask & kCounts)
        now.counts = counts;
    return now;
}

void ShipDelta::Write(ByteWriter& out) const
{
    Varint::Write(out, static_cast<std::uint32_t>(id));
    WriteFields(out);
}

void ShipDelta::WriteFields(ByteWriter& out, bool coarse) const
{
    const std::int32_t fuelStep = coarse ? kCoarseFuel : 1;
    const std::int32_t velocityStep = coarse ? kCoarseVelocity : 1;
    const std::int32_t headingStep = coarse ? kCoarseHeading : 1;
    const bool near = coarse && mask & kPosition && Nibble(x) && Nibble(y);
    out.U8(near ? static_cast<std::uint8_t>((mask & ~kPosition) | kNearPosition) : mask);
    if (mask & kFlags)
        out.U8(flags);
    if (mask & kShape)
        out.U8(shape);
    if (mask & kFuel)
        Varint::WriteSigned(out, fuel / fuelStep);
    if (mask & kScore)
        out.U8(score);
    if (mask & kCounts) {
        for (const std::uint8_t count : counts)
            out.U8(count);
    }
    if (near) {
        out.U8(static_cast<std::uint8_t>((x & 0x0F) | (y & 0x0F) << 4));
    } else if (mask & kPosition) {
        Varint::WriteSigned(out, x);
        Varint::WriteSigned(out, y);
    }
    if (mask & kVelocity) {
        Varint::WriteSigned(out, vx / velocityStep);
        Varint::WriteSigned(out, vy / velocityStep);
    }
    if (mask & kHeading)
        Varint::WriteSigned(out, heading / headingStep);
}

std::optional<ShipDelta> ShipDelta::Read(ByteReader& in)
{
    std::uint32_t id = 0;
    if (!Varint::Read(in, id) || id > INT32_MAX)
        return std::nullopt;
    return ReadFields(in, static_cast<std::int32_t>(id));
}

std::optional<ShipDelta> ShipDelta::ReadFields(ByteReader& in, std::int32_t id, bool coarse)
{
    ShipDelta delta;
    std::int32_t turn = 0;
    if (!in.U8(delta.mask))
        return std::nullopt;
    delta.id = id;
    const bool near = coarse && delta.mask & kNearPosition;
    std::uint8_t nibbles = 0;
    if (near) {
        if (delta.mask & kPosition)
            return std::nullopt;
        delta.mask = static_cast<std::uint8_t>((delta.mask & ~kNearPosition) | kPosition);
    }
    const std::uint8_t mask = delta.mask;
    bool ok = (!(mask & kFlags) || in.U8(delta.flags)) && (!(mask & kShape) || in.U8(delta.shape)) &&
              (!(mask & kFuel) || Varint::ReadSigned(in, delta.fuel)) && (!(mask & kScore) || in.U8(delta.score));
    for (std::size_t i = 0; ok && mask & kCounts && i < kAmmunitionKinds; ++i)
        ok = in.U8(delta.counts[i]);
    if (near && ok) {
        ok = in.U8(nibbles);
        delta.x = FromNibble(nibbles);
        delta.y = FromNibble(nibbles >> 4u);
    }
    const bool far = mask & kPosition && !near;
    ok = ok && (!far || (Varint::ReadSigned(in, delta.x) && Varint::ReadSigned(in, delta.y))) &&
         (!(mask & kVelocity) || (Varint::ReadSigned(in, delta.vx) && Varint::ReadSigned(in, delta.vy))) &&
         (!(mask & kHeading) || Varint::ReadSigned(in, turn));
    const std::int32_t fuelStep = coarse ? kCoarseFuel : 1;
    const std::int32_t velocityStep = coarse ? kCoarseVelocity : 1;
    const std::int32_t headingStep = coarse ? kCoarseHeading : 1;
    // A coarse change past the 24-bit grid, or past fuel's u16, is as bad as a fine one.
    const auto beyond = [&](std::int32_t change) {
        return coarse && !WithinWide(static_cast<std::int64_t>(change) * velocityStep / 2, true);
    };
    if (!ok || turn < INT16_MIN / headingStep || turn > INT16_MAX / headingStep || beyond(delta.vx) ||
        beyond(delta.vy) || (coarse && (delta.fuel < -0xFFFF / fuelStep || delta.fuel > 0xFFFF / fuelStep)))
        return std::nullopt;
    delta.coarse = coarse;
    delta.fuel *= fuelStep;
    delta.heading = static_cast<std::int16_t>(turn * headingStep);
    delta.vx *= velocityStep;
    delta.vy *= velocityStep;
    return delta;
}
