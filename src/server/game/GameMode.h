#pragma once

#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/game/SimulationListener.h"
#include "world/Flag.h"
#include "world/Team.h"

class Map;
class Navigator;
class Player;

// The rules that make one kind of game of the same flying and shooting:
// who plays on which side, what a death scores, when a round is won on
// score, and by whom. The simulation asks its mode; a new mode is its own
// class and a row of the modes' table.
class GameMode {
public:
    using Pilots = std::vector<std::unique_ptr<Player>>;

    // The round as a mode that adds to the world sees it, and whom it tells.
    struct Field {
        const Pilots& pilots;
        const Map& map;
        const Navigator& shape;
        SimulationListener& listener;
        std::mt19937& random; // the simulation's draws
    };

    virtual ~GameMode() = default;

    virtual const char* Name() const = 0;
    // The name in words, for the log: "capture the flag".
    virtual const char* Title() const = 0;
    virtual void Score(Player& victim, Player* killer, DeathCause cause) = 0;
    virtual bool ScoreReached(const Pilots& pilots, int scoreLimit) const = 0;
    // The limit a round plays to when the operator names none.
    virtual int DefaultScoreLimit() const { return 10; }
    // The round's winner, first in the standings, or null.
    virtual const Player* Winner(const Pilots& pilots) const = 0;

    // Whether ships play in teams; a mode without them has no use for the
    // rest, and its ships are all of Team::None.
    virtual bool HasTeams() const { return false; }
    // A round begins: the teams' scores from 0.
    virtual void RoundStarted() {}
    virtual int TeamScore(Team) const { return 0; }
    // The team ahead at the round's end; None for a draw.
    virtual Team WinningTeam() const { return Team::None; }

    // The round's map is in place, before anyone hears of the round: where
    // what the mode adds to the world goes, which may change the limit.
    virtual void Plan(const Field&) {}
    // The round is told and the sides are dealt: what was planned goes in.
    virtual void Placed(const Field&) {}
    // Every tick of play, after the ships moved and the dead were counted.
    virtual void Step(const Field&, int) {}
    // Whether a pilot of the team may come back at a point: a mode with
    // bases keeps each side to its own half.
    virtual bool SpawnsAt(const Vector3&, Team, const Navigator&) const { return true; }
    // Where each team's flag is; none in a mode without flags.
    virtual std::span<const Flag> Flags() const { return {}; }
    // How long before a dropped flag of the team goes home by itself; 0
    // for one that is not dropped.
    virtual int ReturnsIn(Team) const { return 0; }

    // Pilots of a team.
    static int Members(const Pilots& pilots, Team team);
    // The side a newcomer takes in a team game: the smaller, then the one
    // behind, then Red.
    Team SideFor(const Pilots& pilots) const;

    // The mode of the name, or null when no mode has it.
    static std::unique_ptr<GameMode> Make(std::string_view name);
    // The same, deathmatch for a name no mode has.
    static std::unique_ptr<GameMode> MakeOrDeathmatch(std::string_view name);
    // Every mode's name, for an answer to a wrong one: "dm, tdm, ctf".
    static std::string Known();

protected:
    // Points on a ship's score, which stays within what the wire carries.
    static void AddScore(Player& player, int points);
    // The highest score of a team, or of everyone for None; equal scores
    // by name; null without pilots.
    static const Player* Best(const Pilots& pilots, Team team);
};
