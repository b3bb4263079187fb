#include "server/game/TeamDeathmatch.h"

#include <algorithm>

#include "server/game/Player.h"

void TeamDeathmatch::Award(Player& player, int points)
{
    AddScore(player, points);
    AddToTeam(player.GetTeam(), points);
}

void TeamDeathmatch::AddToTeam(Team team, int points)
{
    if (team != Team::None)
        scores[TeamIndex(team)] += points;
}

bool TeamDeathmatch::ScoreReached(const Pilots&, int scoreLimit) const
{
    return std::ranges::max(scores) >= scoreLimit;
}

int TeamDeathmatch::TeamScore(Team team) const
{
    return team == Team::None ? 0 : scores[TeamIndex(team)];
}

Team TeamDeathmatch::WinningTeam() const
{
    const int red = TeamScore(Team::Red);
    const int blue = TeamScore(Team::Blue);
    return red == blue ? Team::None : red > blue ? Team::Red : Team::Blue;
}

const Player* TeamDeathmatch::Winner(const Pilots& pilots) const
{
    const Team team = WinningTeam();
    return team == Team::None ? nullptr : Best(pilots, team);
}
