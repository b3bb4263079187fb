#pragma once

#include <cstdint>
#include <string>

#include "world/DeathCause.h"
#include "world/Flag.h"
#include "world/Team.h"

class GameObject;
class Map;
class Player;
class Turret;

// What the simulation tells the world outside it, as it happens. It never
// sends anything itself: whoever listens turns these into messages.
class SimulationListener {
public:
    virtual ~SimulationListener() = default;

    // A round begins on a map: everything of the last round is gone; the
    // ships, the turrets and their states follow as events of their own.
    // msLeft: the round's length, -1 for none; the score that ends it;
    // the mode's title ("capture the flag").
    virtual void OnRoundStarted(const std::string& mapName, const Map& map, int msLeft, int scoreLimit,
                                const char* mode) = 0;
    virtual void OnRoundOver(const Player* winner) = 0;
    virtual void OnMapSkipped(const std::string& mapName, const std::string& reason) = 0;

    virtual void OnShipSpawned(const Player& player) = 0;
    // Something about a ship changed that its player should see at once
    // (a pickup, a push, a score).
    virtual void OnShipChanged(const Player& player) = 0;
    virtual void OnShipKilled(const Player& victim, const Player* killer, DeathCause cause) = 0;

    // firedBy: the ship whose pilot's keys fired it, 0 for anything else.
    virtual void OnEntityAppeared(const GameObject& entity, int firedBy) = 0;
    // The entity's motion changed other than by its own steering (a rebound, a push).
    virtual void OnEntityMoved(const GameObject& entity) = 0;
    virtual void OnEntityKilled(const GameObject& entity) = 0;

    virtual void OnTurretChanged(const Turret& turret) = 0;
    virtual void OnTileChanged(int column, int row, std::uint8_t value) = 0;

    // In a team game only, which a listener of everyone against everyone
    // can leave alone: a ship's side as it joins or changes sides; the
    // teams' scores as a round starts and whenever one moves; the round's
    // end, before OnRoundOver, with the team ahead (None for a draw). A game
    // that stops playing in teams sets every side back to None.
    virtual void OnTeamChanged(const Player&) {}
    // A team round's sides are dealt, kept from the last round or new:
    // each pilot's, after its OnTeamChanged.
    virtual void OnSideDealt(const Player&) {}
    virtual void OnTeamScores(int, int) {}
    virtual void OnTeamsFinished(Team, int, int) {}
    // In capture the flag only: a flag's new place, with what brought it
    // there and the pilot who did (null for a round's start or a flag that
    // went home by itself).
    virtual void OnFlag(FlagEvent, const Flag&, const Player*) {}
    // In capture the flag only: the map has no bases and no two open
    // places far apart, so the round plays without flags, by team
    // deathmatch's rules.
    virtual void OnNoRoomForFlags() {}
    // In capture the flag only: the map marks bases, but not two open
    // cells a flight joins, so the flags stand where a search puts them.
    virtual void OnBasesRefused() {}
};
