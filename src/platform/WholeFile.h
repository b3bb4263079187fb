#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The bytes of the file, or nothing when it cannot be read, holds more
// than largest or is no regular file (a FIFO, a device, a folder): such a
// file is never waited on.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest);
// The same, with the reason, naming the file, when there are no bytes.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest,
                                                       std::string& error);

// Whether anything is at the path.
bool FileExists(const std::string& path);

// Writes the file whole or not at all: a reader sees the old contents or
// the new, never a part, even if the machine stops half way. A new file is
// its owner's alone. False, with the reason, when it could not.
bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error);

} // namespace platform
