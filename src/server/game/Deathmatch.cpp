#include "server/game/Deathmatch.h"

#include <algorithm>
#include <cstring>

#include "server/game/Player.h"
#include "world/Ship.h"

namespace {

void Add(Ship& ship, int points)
{
    ship.SetScore(static_cast<signed char>(std::clamp(ship.GetScore() + points, -126, 126)));
}

} // namespace

void Deathmatch::Score(Player& victim, Player* killer, DeathCause cause)
{
    switch (cause) {
    case DeathCause::Weapon:
    case DeathCause::Rammed:
        if (killer)
            Add(killer->GetShip(), 1);
        break;
    case DeathCause::OwnWeapon:
    case DeathCause::Crashed: Add(victim.GetShip(), -1); break;
    case DeathCause::Collision:
    case DeathCause::Turret: break;
    }
}

bool Deathmatch::ScoreReached(const Pilots& pilots, int scoreLimit) const
{
    return std::ranges::any_of(pilots, [&](const auto& pilot) { return pilot->GetShip().GetScore() >= scoreLimit; });
}

const Player* Deathmatch::Winner(const Pilots& pilots) const
{
    const Player* winner = nullptr;
    for (const auto& pilot : pilots) {
        const int score = pilot->GetShip().GetScore();
        if (!winner || score > winner->GetShip().GetScore() ||
            (score == winner->GetShip().GetScore() && std::strcmp(pilot->Name(), winner->Name()) < 0))
            winner = pilot.get();
    }
    return winner;
}
