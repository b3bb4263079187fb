#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The bytes of the file, or nothing when it cannot be read, holds more
// than largest or is no regular file (a FIFO, a device, a folder): such a
// file is never waited on, and one larger than largest is not read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest);
// The same, with the reason, naming the file, when there are no bytes.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest,
                                                       std::string& error);

// The first count bytes of a regular file (all of a shorter one), or
// nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count);

// Whether anything is at the path.
bool FileExists(const std::string& path);

// Writes the file whole or not at all: a reader sees the old contents or
// the new, never a part, even if the machine stops half way. It is written
// first to path.new, made afresh: a link or a FIFO in that place is
// refused. A new file is its owner's alone. False, with the reason, when it
// could not.
bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error);

// Adds text at the end of a regular file, on a line of its own, without
// waiting on the disk; makes the file, its owner's alone, when there is
// none. False, with the reason, when the file would pass largest bytes.
bool AppendToFile(const std::string& path, const std::string& text, std::size_t largest, std::string& error);

} // namespace platform
