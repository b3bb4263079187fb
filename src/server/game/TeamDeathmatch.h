#pragma once

#include <array>

#include "server/game/GameMode.h"

// Red against Blue: a kill of an enemy scores for the killer and the team,
// a kill of a teammate or of oneself costs both a point, and the first team
// to the limit wins.
class TeamDeathmatch : public GameMode {
public:
    const char* Name() const override { return "tdm"; }
    void Score(Player& victim, Player* killer, DeathCause cause) override;
    bool ScoreReached(const Pilots& pilots, int scoreLimit) const override;
    // The best of the winning team; nobody after a draw.
    const Player* Winner(const Pilots& pilots) const override;

    bool HasTeams() const override { return true; }
    void RoundStarted() override { scores = {}; }
    int TeamScore(Team team) const override;
    Team WinningTeam() const override;

private:
    void Add(Player& player, int points);

    std::array<int, kTeams> scores {}; // Red's, Blue's
};
