#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/game/SimulationListener.h"

class Player;

// The rules that make one kind of game of the same flying and shooting:
// what a death scores, when a round is won on score, and by whom. The
// simulation asks its mode; a new mode is its own class and a row of the
// modes' table.
class GameMode {
public:
    using Pilots = std::vector<std::unique_ptr<Player>>;

    virtual ~GameMode() = default;

    virtual const char* Name() const = 0;
    virtual void Score(Player& victim, Player* killer, DeathCause cause) = 0;
    virtual bool ScoreReached(const Pilots& pilots, int scoreLimit) const = 0;
    // The round's winner, first in the standings, or null.
    virtual const Player* Winner(const Pilots& pilots) const = 0;

    // The mode of the name, or null when no mode has it.
    static std::unique_ptr<GameMode> Make(std::string_view name);
    // The same, deathmatch for a name no mode has.
    static std::unique_ptr<GameMode> MakeOrDeathmatch(std::string_view name);
    // Every mode's name, for an answer to a wrong one: "dm".
    static std::string Known();
};
