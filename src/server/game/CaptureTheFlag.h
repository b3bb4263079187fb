#pragma once

#include <array>
#include <vector>

#include "server/game/TeamDeathmatch.h"

// Red against Blue for each other's flag. A flag stands at its team's base;
// an enemy who touches it carries it, and drops it where it dies. A dropped
// flag goes home after 30 s, or at once when one of its team touches it.
// Bringing the enemy's flag to one's own base while one's own is home is a
// capture: a point for the team, three for the carrier. A kill scores for
// the pilot alone; the team's score is its captures, and the first team to
// the limit wins. A map without room for flags plays as team deathmatch.
// Bases a short flight apart make captures quick: unless the operator names
// a limit, such a map plays to more captures, so that a round there lasts
// about as long as elsewhere and the time limit mostly ends it.
class CaptureTheFlag : public TeamDeathmatch {
public:
    static constexpr int kReturnMs = 30000;
    // A ship this near a flag touches it: its hull, and a flag's pole.
    static constexpr double kTouch = 40.0;
    static constexpr int kCapturePoints = 3;
    static constexpr int kReturnPoints = 1;
    // Nobody comes back nearer the enemy's flag than this.
    static constexpr double kSpawnClearance = 400.0;

    const char* Name() const override { return "ctf"; }
    // Once planned, a map without room for flags says how it plays.
    const char* Title() const override
    {
        return flags.empty() ? "capture the flag, played as team deathmatch" : "capture the flag";
    }
    // The fewest captures a round plays to, and the most.
    static constexpr int kFewestCaptures = 10;
    static constexpr int kMostCaptures = 30;
    // Cells of flight between the bases at which a round plays to the
    // fewest; half as far plays to twice as many.
    static constexpr int kFarFlight = 60;

    // Captures, not kills, count; without flags, kills do.
    int DefaultScoreLimit() const override
    {
        return flags.empty() ? TeamDeathmatch::DefaultScoreLimit() : captureLimit;
    }
    void RoundStarted() override;
    void Plan(const Field& field) override;
    void Placed(const Field& field) override;
    void Step(const Field& field, int ms) override;
    // Nearer its own base than the enemy's, and out of reach of the enemy's flag.
    bool SpawnsAt(const Vector3& at, Team team, const Navigator& shape) const override;
    std::span<const Flag> Flags() const override { return flags; }
    int ReturnsIn(Team team) const override;

private:
    void Award(Player& player, int points) override;

    void Carry(const Field& field, Flag& flag);
    void Lie(const Field& field, Flag& flag, int ms);
    void Stand(const Field& field, Flag& flag);
    // The first living pilot touching a point, with the team given or
    // against it; null for none.
    static Player* Toucher(const Field& field, const Vector3& at, Team team, bool ofTeam);
    void Take(const Field& field, Flag& flag, Player& by);
    void Drop(const Field& field, Flag& flag, Player* by);
    void GoHome(const Field& field, Flag& flag, FlagEvent event, Player* by);
    Flag* FlagOf(Team team);

    std::vector<Flag> flags; // Red's, Blue's; none on a map without room for them
    bool marksRefused = false; // the map's bases were no place for flags
    int captureLimit = kFewestCaptures; // for the bases' flight apart
    std::array<int, kTeams> returnLeft {};
};
