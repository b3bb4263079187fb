#pragma once

#include <string>

namespace platform {

// The folder that holds the game's Graphics and Maps. Looked for in order:
// the folder named on the command line; share/quillrock beside an installed
// binary (../share/quillrock); the source tree's data/ for a build folder.
// Empty when none of them holds a Graphics or Maps folder.
std::string FindDataDirectory(const std::string& named);

} // namespace platform
