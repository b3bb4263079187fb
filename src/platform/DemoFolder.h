#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// Where the player's games are kept: $XDG_DATA_HOME/quillrock/demos, or
// ~/.local/share/quillrock/demos; the newest 50, 200 MB in all.
class DemoFolder {
public:
    static constexpr std::size_t kKeptFiles = 50;
    static constexpr std::uintmax_t kKeptBytes = 200ull * 1024 * 1024;
    static constexpr const char* kExtension = ".qrdemo";

    static std::string Path();
    // A new file's path in folder for a game begun at start on the map, as
    // 2026-12-06_21-04-05_Arena.qrdemo, with -2, -3... when that is taken,
    // even by a link to nowhere.
    static std::string NewFile(const std::string& folder, std::time_t start, const std::string& map);
    // Deletes the oldest demos until at most files are left, holding at
    // most bytes; the newest is always kept.
    static void Prune(const std::string& folder, std::size_t files, std::uintmax_t bytes);
};

} // namespace platform
