#pragma once

#include "server/game/GameMode.h"

// Everyone against everyone: a kill scores for the killer, a death by one's
// own hand costs a point, and the first to the limit wins.
class Deathmatch : public GameMode {
public:
    const char* Name() const override { return "dm"; }
    const char* Title() const override { return "deathmatch"; }
    void Score(Player& victim, Player* killer, DeathCause cause) override;
    bool ScoreReached(const Pilots& pilots, int scoreLimit) const override;
    // The highest score; equal scores by name.
    const Player* Winner(const Pilots& pilots) const override;

protected:
    // Points to a pilot for a death: a kill of a teammate costs what one of
    // an enemy gains, which everyone is without teams.
    virtual void Award(Player& player, int points) { AddScore(player, points); }
};
