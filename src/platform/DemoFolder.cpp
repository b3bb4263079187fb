#include "platform/DemoFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/UserFolders.h"

namespace platform {

namespace fs = std::filesystem;

std::string DemoFolder::Path()
{
    return UserFolder("XDG_DATA_HOME", ".local/share") + "/demos";
}

std::string DemoFolder::NewFile(const std::string& folder, std::time_t start, const std::string& map)
{
    std::tm local {};
    ::localtime_r(&start, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    std::string safe;
    for (const char c : map)
        safe += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    const std::string stem = folder + "/" + stamp + "_" + (safe.empty() ? "map" : safe);
    std::string path = stem + kExtension;
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(path, error)) && n < 1000; ++n)
        path = stem + "-" + std::to_string(n) + kExtension;
    return path;
}

void DemoFolder::Prune(const std::string& folder, std::size_t files, std::uintmax_t bytes)
{
    struct Kept {
        fs::path path;
        fs::file_time_type written;
        std::uintmax_t size;
    };
    std::vector<Kept> demos;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::error_code each;
        if (entry.path().extension() != kExtension || !entry.is_regular_file(each))
            continue;
        const auto written = entry.last_write_time(each);
        const auto size = entry.file_size(each);
        if (!each)
            demos.push_back({entry.path(), written, size});
    }
    std::sort(demos.begin(), demos.end(), [](const Kept& a, const Kept& b) {
        return a.written != b.written ? a.written > b.written : a.path > b.path;
    });
    std::uintmax_t total = 0;
    for (std::size_t i = 0; i < demos.size(); ++i) {
        total += demos[i].size;
        if (i > 0 && (i >= files || total > bytes))
            fs::remove(demos[i].path, error);
    }
}

} // namespace platform
