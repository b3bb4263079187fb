#include "server/game/GameMode.h"

#include <algorithm>
#include <cstring>

#include "base/AsciiLower.h"
#include "server/game/CaptureTheFlag.h"
#include "server/game/Deathmatch.h"
#include "server/game/Player.h"
#include "server/game/TeamDeathmatch.h"
#include "world/Ship.h"

namespace {

struct ModeRow {
    const char* name;
    std::unique_ptr<GameMode> (*make)();
};

constexpr ModeRow kModes[] = {
    {"dm", [] { return std::unique_ptr<GameMode>(std::make_unique<Deathmatch>()); }},
    {"tdm", [] { return std::unique_ptr<GameMode>(std::make_unique<TeamDeathmatch>()); }},
    {"ctf", [] { return std::unique_ptr<GameMode>(std::make_unique<CaptureTheFlag>()); }},
};

} // namespace

std::unique_ptr<GameMode> GameMode::Make(std::string_view name)
{
    for (const ModeRow& row : kModes) {
        if (AsciiLower(std::string(name)) == row.name)
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

int GameMode::Members(const Pilots& pilots, Team team)
{
    return static_cast<int>(std::ranges::count_if(pilots, [team](const auto& p) { return p->GetTeam() == team; }));
}

Team GameMode::SideFor(const Pilots& pilots) const
{
    if (!HasTeams())
        return Team::None;
    const int red = Members(pilots, Team::Red);
    const int blue = Members(pilots, Team::Blue);
    if (red != blue)
        return red < blue ? Team::Red : Team::Blue;
    return TeamScore(Team::Blue) < TeamScore(Team::Red) ? Team::Blue : Team::Red;
}

void GameMode::AddScore(Player& player, int points)
{
    Ship& ship = player.GetShip();
    ship.SetScore(static_cast<signed char>(std::clamp(ship.GetScore() + points, -126, 126)));
}

const Player* GameMode::Best(const Pilots& pilots, Team team)
{
    const Player* best = nullptr;
    for (const auto& pilot : pilots) {
        if (team != Team::None && pilot->GetTeam() != team)
            continue;
        const int score = pilot->GetShip().GetScore();
        if (!best || score > best->GetShip().GetScore() ||
            (score == best->GetShip().GetScore() && std::strcmp(pilot->Name(), best->Name()) < 0))
            best = pilot.get();
    }
    return best;
}
