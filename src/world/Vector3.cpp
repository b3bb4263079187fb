#include "world/Vector3.h"

#include <cmath>

void Vector3::Normalize()
{
    length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) {
        x = y = z = 0.0;
    } else {
        x /= length;
        y /= length;
        z /= length;
    }
    length = std::sqrt(x * x + y * y + z * z);
}

Vector3 Vector3::operator/(double s) const
{
    if (s == 0.0)
        return {0.0, 0.0, 0.0};
    return {x / s, y / s, z / s};
}
