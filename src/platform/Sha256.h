#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

using Sha256 = std::array<std::uint8_t, 32>;

// The SHA-256 of the bytes, by libsodium.
Sha256 HashOf(const std::uint8_t* data, std::size_t size);

// Lower-case hex, 64 characters.
std::string HexOf(const Sha256& hash);

} // namespace platform
