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

// Whether anything is at the path.
bool FileExists(const std::string& path);

// Writes the file whole or not at all: a reader sees the old contents or
// the new, never a part, even if the machine stops half way. A new file is
// its owner's alone. False, with the reason, when it could not.
bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error);

} // namespace platform
