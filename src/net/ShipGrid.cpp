#include "net/ShipGrid.h"

#include <cmath>

#include "net/NetMessage.h"

namespace {

std::optional<std::int32_t> OnGrid(double value, double steps, std::int64_t lowest, std::int64_t highest)
{
    const double scaled = std::round(value * steps);
    if (!(scaled >= static_cast<double>(lowest) && scaled <= static_cast<double>(highest)))
        return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

bool Fits(std::int32_t value, int bits, bool isSigned)
{
    const std::int64_t span = std::int64_t{1} << bits;
    return isSigned ? value >= -span / 2 && value < span / 2 : value >= 0 && value < span;
}

} // namespace

std::optional<GridMotion> GridMotion::Of(const Vector3& at, const Vector3& moving, float heading)
{
    // The rules keep a heading just short of a whole turn as a little below 0.
    if (heading < 0.0f && heading > -360.0f)
        heading += 360.0f;
    const std::int64_t span = std::int64_t{1} << kWideBits;
    const auto x = OnGrid(at.x, kPositionSteps, 0, span - 1);
    const auto y = OnGrid(at.y, kPositionSteps, 0, span - 1);
    const auto vx = OnGrid(moving.x, kVelocitySteps, -span / 2, span / 2 - 1);
    const auto vy = OnGrid(moving.y, kVelocitySteps, -span / 2, span / 2 - 1);
    const auto turn = OnGrid(heading, 1.0 / kHeadingStep, 0, 65536);
    const bool flat = (at.z == 0.0 || at.z == 1.0) && moving.z == 0.0 && heading >= 0.0f && heading < 360.0f;
    if (!x || !y || !vx || !vy || !turn || !flat)
        return std::nullopt;
    GridMotion motion;
    motion.x = *x;
    motion.y = *y;
    motion.vx = *vx;
    motion.vy = *vy;
    motion.heading = static_cast<std::uint16_t>(*turn & 0xFFFF);
    motion.raised = at.z == 1.0;
    return motion;
}

bool GridMotion::Narrow() const
{
    return Fits(x, kNarrowBits, false) && Fits(y, kNarrowBits, false) && Fits(vx, kNarrowBits, true) &&
           Fits(vy, kNarrowBits, true);
}

void GridMotion::Values(Vector3& at, Vector3& moving, float& facing) const
{
    // The steps are powers of two: a product by the step is as exact as
    // the quotient by the steps, and far cheaper.
    at.Set(x * (1.0 / kPositionSteps), y * (1.0 / kPositionSteps), raised ? 1.0 : 0.0);
    moving.Set(vx * (1.0 / kVelocitySteps), vy * (1.0 / kVelocitySteps), 0.0);
    facing = static_cast<float>(heading * kHeadingStep);
}

std::optional<ShipGrid> ShipGrid::Of(const NetMessage& state)
{
    if (state.Kind() != kMsgShipState)
        return std::nullopt;
    int id = 0;
    float fuel = 0.0f, maxFuel = 0.0f, heading = 0.0f;
    signed char score = 0;
    Vector3 at, moving;
    ShipGrid grid;
    state.GetShipState(id, grid.flags, fuel, maxFuel, score, grid.counts, at, moving, heading);
    const auto motion = GridMotion::Of(at, moving, heading);
    const auto tank = OnGrid(fuel, kFuelSteps, 0, 0xFFFF);
    if (id < 0 || !motion || !tank || (maxFuel != 100.0f && maxFuel != 200.0f))
        return std::nullopt;
    grid.id = id;
    grid.largeTank = maxFuel == 200.0f;
    grid.fuel = static_cast<std::uint16_t>(*tank);
    grid.score = static_cast<std::uint8_t>(score);
    grid.motion = *motion;
    return grid;
}

void ShipGrid::Into(NetMessage& state) const
{
    Vector3 at, moving;
    float heading = 0.0f;
    motion.Values(at, moving, heading);
    state.SetShipState(id, flags, static_cast<float>(fuel / kFuelSteps), largeTank ? 200.0f : 100.0f,
                       static_cast<signed char>(score), counts, at, moving, heading);
}
