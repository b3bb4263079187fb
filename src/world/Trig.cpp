#include "world/Trig.h"

#include <array>
#include <cmath>

namespace {

struct Tables {
    std::array<float, 360> sine{};
    std::array<float, 360> cosine{};
    Tables()
    {
        for (int d = 0; d < 360; ++d) {
            const double radians = d * 3.14159265358979323846 / 180.0;
            sine[static_cast<std::size_t>(d)] = static_cast<float>(std::sin(radians));
            cosine[static_cast<std::size_t>(d)] = static_cast<float>(std::cos(radians));
        }
    }
};

const Tables& Table()
{
    static const Tables tables;
    return tables;
}

std::size_t Fold(int degrees)
{
    return static_cast<std::size_t>(((degrees % 360) + 360) % 360);
}

} // namespace

float SinDegrees(int degrees)
{
    return Table().sine[Fold(degrees)];
}

float CosDegrees(int degrees)
{
    return Table().cosine[Fold(degrees)];
}

void RotatePoint(float& x, float& y, int degrees)
{
    const float c = CosDegrees(degrees);
    const float s = SinDegrees(degrees);
    const float rx = x * c - y * s;
    const float ry = x * s + y * c;
    x = rx;
    y = ry;
}

int WholeDegrees(float heading)
{
    if (!std::isfinite(heading))
        return 0;
    return static_cast<int>(Fold(static_cast<int>(std::fmod(heading, 360.0f))));
}

int NormalisedDegrees(float heading)
{
    if (!std::isfinite(heading))
        return 0;
    float h = std::fmod(heading, 360.0f);
    if (h < 0.0f)
        h += 360.0f;
    return static_cast<int>(Fold(static_cast<int>(h)));
}

Vector3 HeadingDirection(float heading)
{
    float x = 0.0f;
    float y = 1.0f;
    RotatePoint(x, y, WholeDegrees(heading));
    return {x, y, 0.0};
}

float HeadingAlong(double dx, double dy)
{
    const float h = static_cast<float>(std::atan2(-dx, dy) * 180.0 / 3.14159265358979323846);
    return h < 0.0f ? h + 360.0f : h;
}

float TurnBetween(float from, float to)
{
    float turn = std::fmod(to - from, 360.0f);
    if (turn > 180.0f)
        turn -= 360.0f;
    if (turn <= -180.0f)
        turn += 360.0f;
    return turn;
}
