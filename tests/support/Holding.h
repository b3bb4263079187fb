#pragma once

#include <initializer_list>

#include "world/HeldKeys.h"

// A frame's keys with these game keys held.
inline HeldKeys Holding(std::initializer_list<int> codes)
{
    HeldKeys keys;
    for (const int code : codes)
        keys.Press(code);
    return keys;
}
