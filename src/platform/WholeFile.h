#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The bytes of the file, or nothing when it cannot be read or holds more
// than largest.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest);

} // namespace platform
