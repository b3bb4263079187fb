#pragma once

#include <cstdint>
#include <vector>

#include "net/NetMessage.h"

// A message's bytes as it goes on the wire alone.
inline std::vector<std::uint8_t> WireOf(const NetMessage& message)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
    message.Serialize(bytes.data(), message.WireSize());
    return bytes;
}
