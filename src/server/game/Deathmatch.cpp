#include "server/game/Deathmatch.h"

#include <algorithm>

#include "server/game/Player.h"
#include "world/Ship.h"

void Deathmatch::Score(Player& victim, Player* killer, DeathCause cause)
{
    switch (cause) {
    case DeathCause::Weapon:
    case DeathCause::Rammed:
        if (killer)
            Award(*killer, killer->IsTeammate(victim) ? -1 : 1);
        break;
    case DeathCause::OwnWeapon:
    case DeathCause::Crashed: Award(victim, -1); break;
    case DeathCause::Collision:
    case DeathCause::Turret:
    case DeathCause::Switched: break;
    }
}

bool Deathmatch::ScoreReached(const Pilots& pilots, int scoreLimit) const
{
    return std::ranges::any_of(pilots, [&](const auto& pilot) { return pilot->GetShip().GetScore() >= scoreLimit; });
}

const Player* Deathmatch::Winner(const Pilots& pilots) const
{
    return Best(pilots, Team::None);
}
