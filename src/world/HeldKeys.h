#pragma once

#include <cstdint>

#include "world/GameKey.h"

// The control keys a pilot holds right now: from a person's latest
// ControlMessage, or from whatever else flies a ship. Codes that are not
// control keys mean nothing and are dropped.
class HeldKeys {
public:
    HeldKeys() = default;

    static HeldKeys FromCodes(const std::int32_t* codes, int count)
    {
        HeldKeys keys;
        for (int i = 0; codes && i < count; ++i)
            keys.Press(codes[i]);
        return keys;
    }

    void Press(int code)
    {
        if (code >= kKeyTurnLeft && code <= kKeyCloak)
            bits |= 1u << code;
    }

    bool Holds(GameKey key) const { return (bits & (1u << key)) != 0; }

private:
    std::uint32_t bits = 0;
};
