#pragma once

#include <string>

namespace platform {

// The game's own folder under an XDG base folder: $variable when it is an
// absolute path, or fallback under the home folder (".config",
// ".local/share").
std::string UserFolder(const char* variable, const char* fallback);

// Makes the folder and those above it, private to the user; true when it
// is a folder afterwards.
bool MakeFolders(const std::string& path);

} // namespace platform
