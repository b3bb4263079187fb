#include "platform/DataDirectory.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

// True when the folder holds a Graphics or a Maps folder.
bool HoldsGameData(const std::string& folder)
{
    std::error_code error;
    return !folder.empty() &&
           (fs::is_directory(fs::path(folder) / "Graphics", error) || fs::is_directory(fs::path(folder) / "Maps", error));
}

} // namespace

std::string FindDataDirectory(const std::string& named)
{
    if (!named.empty())
        return HoldsGameData(named) ? fs::absolute(named).lexically_normal().string() : std::string();
    std::error_code error;
    const fs::path binary = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path installed = binary.parent_path().parent_path() / "share" / "quillrock";
        if (HoldsGameData(installed.string()))
            return installed.lexically_normal().string();
    }
    if (HoldsGameData(QR_SOURCE_DATA_DIR))
        return QR_SOURCE_DATA_DIR;
    return {};
}

} // namespace platform
