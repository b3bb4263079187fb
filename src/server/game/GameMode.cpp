#include "server/game/GameMode.h"

#include "server/game/Deathmatch.h"

namespace {

struct ModeRow {
    const char* name;
    std::unique_ptr<GameMode> (*make)();
};

constexpr ModeRow kModes[] = {
    {"dm", [] { return std::unique_ptr<GameMode>(std::make_unique<Deathmatch>()); }},
};

} // namespace

std::unique_ptr<GameMode> GameMode::Make(std::string_view name)
{
    for (const ModeRow& row : kModes) {
        if (name == row.name)
            return row.make();
    }
    return nullptr;
}

std::unique_ptr<GameMode> GameMode::MakeOrDeathmatch(std::string_view name)
{
    std::unique_ptr<GameMode> mode = Make(name);
    return mode ? std::move(mode) : std::make_unique<Deathmatch>();
}

std::string GameMode::Known()
{
    std::string names;
    for (const ModeRow& row : kModes)
        names += (names.empty() ? "" : ", ") + std::string(row.name);
    return names;
}
