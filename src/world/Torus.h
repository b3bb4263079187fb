#pragma once

#include <cmath>

// Arithmetic on the wrap-around world. The rules fold values by whole world
// sizes in small loops; a value from outside can be far off or not a
// number at all, so it is first brought within two turns (or to 0), and
// the loops that follow run a few times at most.
inline double WithinTwoTurns(double value, double size)
{
    if (!std::isfinite(value))
        return 0.0;
    if (size > 0.0 && std::fabs(value) > 2.0 * size)
        return std::fmod(value, size);
    return value;
}

// A difference folded into [-size/2, size/2]; unchanged for a size of 0.
inline double FoldDifference(double d, double size)
{
    if (size <= 0.0)
        return d;
    d = WithinTwoTurns(d, size);
    while (d < -size / 2.0)
        d += size;
    while (d > size / 2.0)
        d -= size;
    return d;
}

// A cell index folded into [0, size); 0 for an empty grid.
inline int FoldCell(int value, int size)
{
    if (size <= 0)
        return 0;
    value %= size;
    return value < 0 ? value + size : value;
}
