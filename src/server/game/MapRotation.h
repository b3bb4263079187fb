#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class Map;

// The maps a server plays in turn, read from the Maps folder of its data
// folder by the names players' programs load them by (the file name
// without ".smp"). A map that is missing or does not read is skipped when
// its turn comes.
class MapRotation {
public:
    struct Loaded {
        std::string name;
        std::unique_ptr<Map> map;
    };
    struct Skipped {
        std::string name;
        std::string reason;
    };

    MapRotation(std::string dataDir, std::vector<std::string> names);
    ~MapRotation();

    // The names of every ".smp" file in the data folder's Maps, sorted.
    static std::vector<std::string> AllMaps(const std::string& dataDir);

    // One map by name; nothing, with the reason, when it cannot be played.
    std::optional<Loaded> Load(const std::string& name, std::string& reason) const;

    // The rotation's first map; nothing, with the reason, when it cannot be played.
    std::optional<Loaded> First(std::string& reason);
    // The next map after the current one that can be played, every map
    // passed over noted in skipped; the current map itself comes last.
    std::optional<Loaded> Next(std::vector<Skipped>& skipped);
    // Continues the rotation after a map played out of turn, when it is one of its own.
    void MoveTo(const std::string& name);

    const std::vector<std::string>& Names() const { return names; }

private:
    std::string dataDir;
    std::vector<std::string> names;
    std::size_t current = 0;
};
