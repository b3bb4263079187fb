#include "server/game/MapRotation.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>

#include "base/TextCopy.h"
#include "platform/PathResolver.h"
#include "world/Map.h"

MapRotation::MapRotation(std::string dataDir, std::vector<std::string> names)
    : dataDir(std::move(dataDir)), names(std::move(names))
{
}

MapRotation::~MapRotation() = default;

std::vector<std::string> MapRotation::AllMaps(const std::string& dataDir)
{
    std::vector<std::string> found;
    const auto folder = platform::ResolvePath(dataDir + "/Maps");
    DIR* dir = folder ? ::opendir(folder->c_str()) : nullptr;
    if (!dir)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string file = entry->d_name;
        if (file.size() > 4 && ::strcasecmp(file.c_str() + file.size() - 4, ".smp") == 0)
            found.push_back(file.substr(0, file.size() - 4));
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<MapRotation::Loaded> MapRotation::Load(const std::string& name, std::string& reason) const
{
    // Players load "Maps\<name>.smp": a name is one plain file name.
    if (name.empty() || name.size() >= static_cast<std::size_t>(kTextBufferSize) ||
        name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") {
        reason = "not a map name";
        return std::nullopt;
    }
    const auto path = platform::ResolveFile(dataDir + "/Maps/" + name + ".smp");
    if (!path) {
        reason = "no file " + dataDir + "/Maps/" + name + ".smp";
        return std::nullopt;
    }
    auto map = std::make_unique<Map>();
    if (!map->Load(path->c_str())) {
        reason = *path + " is not a map file";
        return std::nullopt;
    }
    bool roomForShips = !map->SpawnPoints().empty();
    for (int c = 0; c < map->Columns() && !roomForShips; ++c) {
        for (int r = 0; r < map->Rows() && !roomForShips; ++r)
            roomForShips = map->CellKindAt(c, r) == kCellEmpty;
    }
    if (!roomForShips) {
        reason = *path + " has no open cell to place a ship on";
        return std::nullopt;
    }
    // Named as its file is, whatever the case it was asked for in.
    const std::size_t slash = path->find_last_of('/');
    const std::string file = path->substr(slash == std::string::npos ? 0 : slash + 1);
    return Loaded{file.substr(0, file.size() - 4), std::move(map)};
}

std::optional<MapRotation::Loaded> MapRotation::First(std::string& reason)
{
    current = 0;
    if (names.empty()) {
        reason = "no maps in " + dataDir + "/Maps";
        return std::nullopt;
    }
    return Load(names.front(), reason);
}

std::optional<MapRotation::Loaded> MapRotation::Next(std::vector<Skipped>& skipped)
{
    for (std::size_t step = 1; step <= names.size(); ++step) {
        const std::size_t at = (current + step) % names.size();
        std::string reason;
        if (auto loaded = Load(names[at], reason)) {
            current = at;
            return loaded;
        }
        skipped.push_back({names[at], reason});
    }
    return std::nullopt;
}

void MapRotation::MoveTo(const std::string& name)
{
    const auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end())
        current = static_cast<std::size_t>(found - names.begin());
}
