#include "platform/PathResolver.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The entry of folder whose name equals component ignoring case; the
// alphabetically first when several do, so the choice never depends on
// directory order.
std::optional<std::string> MatchEntry(const std::string& folder, const std::string& component)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::nullopt;
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, component.c_str()) == 0)
            matches.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    if (matches.empty())
        return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

} // namespace

std::optional<std::string> ResolvePath(std::string_view windowsPath)
{
    if (windowsPath.empty())
        return std::nullopt;

    const bool absolute = windowsPath.front() == '/' || windowsPath.front() == '\\';
    std::string resolved(absolute ? 1 : 0, '/');
    std::size_t pos = absolute ? 1 : 0;

    bool sawComponent = false;
    while (pos <= windowsPath.size()) {
        std::size_t end = windowsPath.find_first_of("/\\", pos);
        if (end == std::string_view::npos)
            end = windowsPath.size();
        const std::string component(windowsPath.substr(pos, end - pos));
        pos = end + 1;
        if (component.empty() || component == ".")
            continue;
        sawComponent = true;

        const std::string folder = resolved;
        if (!folder.empty() && !IsDirectory(folder))
            return std::nullopt;
        if (component == "..") {
            resolved = Join(folder.empty() ? "." : folder, "..");
            continue;
        }
        const std::string exact = Join(folder, component);
        if (Exists(exact)) {
            resolved = exact;
            continue;
        }
        const auto match = MatchEntry(folder, component);
        if (!match)
            return std::nullopt;
        resolved = Join(folder, *match);
    }
    if (!sawComponent)
        return resolved.empty() ? std::optional<std::string>(".") : resolved;
    return resolved;
}

std::optional<std::string> ResolveFile(std::string_view windowsPath)
{
    auto path = ResolvePath(windowsPath);
    struct stat info {};
    if (!path || ::stat(path->c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return path;
}

bool FileExists(std::string_view windowsPath)
{
    return ResolveFile(windowsPath).has_value();
}

} // namespace platform
