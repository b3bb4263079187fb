#pragma once

#include <array>

#include "server/game/Deathmatch.h"

// Red against Blue: a kill of an enemy scores for the killer and the team,
// a kill of a teammate or of oneself costs both a point, and the first team
// to the limit wins.
class TeamDeathmatch : public Deathmatch {
public:
    const char* Name() const override { return "tdm"; }
    const char* Title() const override { return "team deathmatch"; }
    bool ScoreReached(const Pilots& pilots, int scoreLimit) const override;
    // A side scores what all its pilots kill: a side of five to fifty
    // takes about as long as one pilot to ten in a deathmatch.
    int DefaultScoreLimit() const override { return 50; }
    // The best of the winning team; nobody after a draw.
    const Player* Winner(const Pilots& pilots) const override;

    bool HasTeams() const override { return true; }
    void RoundStarted() override { scores = {}; }
    int TeamScore(Team team) const override;
    Team WinningTeam() const override;

protected:
    // The pilot's team gains or loses with it.
    void Award(Player& player, int points) override;
    void AddToTeam(Team team, int points);

private:
    std::array<int, kTeams> scores {}; // Red's, Blue's
};
