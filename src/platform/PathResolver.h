#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The game names its files the Windows way ("Maps\Caves.smp",
// "..\Maps\%s.bmp", one picture as both "CurveShip.tga" and
// "Curveship.tga"). These turn such a name into the path of the file that
// Windows would open: either slash separates, and each component matches
// an entry of any case, an exact match first.

// The path of the existing file or folder, or nothing.
std::optional<std::string> ResolvePath(std::string_view windowsPath);

// The path of the existing regular file, or nothing (a folder is not one).
std::optional<std::string> ResolveFile(std::string_view windowsPath);

// The file-status query: true when the name resolves to a regular file.
bool FileExists(std::string_view windowsPath);

} // namespace platform
