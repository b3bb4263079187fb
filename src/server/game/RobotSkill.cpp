#include "server/game/RobotSkill.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr RobotSkill kLevels[] = {
    {700, 30.0f, 1.0f, 0.0f, 130.0, 220.0},
    {400, 14.0f, 6.0f, 0.1f, 170.0, 320.0},
    {180, 4.5f, 6.0f, 0.4f, 230.0, 450.0},
    {90, 1.5f, 4.0f, 0.8f, 270.0, 520.0},
};

template <typename T>
T Blend(T low, T high, double t)
{
    return static_cast<T>(static_cast<double>(low) + (static_cast<double>(high) - static_cast<double>(low)) * t);
}

} // namespace

RobotSkill RobotSkill::At(double level)
{
    level = std::clamp(level, 0.0, 3.0);
    const auto low = static_cast<std::size_t>(std::floor(level));
    const double t = level - static_cast<double>(low);
    if (t == 0.0)
        return kLevels[low];
    const RobotSkill& a = kLevels[low];
    const RobotSkill& b = kLevels[low + 1];
    return {Blend(a.reactionMs, b.reactionMs, t),     Blend(a.aimErrorDegrees, b.aimErrorDegrees, t),
            Blend(a.fireTolerance, b.fireTolerance, t), Blend(a.deviceChance, b.deviceChance, t),
            Blend(a.cruiseSpeed, b.cruiseSpeed, t),   Blend(a.engageRange, b.engageRange, t)};
}
