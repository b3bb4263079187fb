#pragma once

#include <functional>
#include <vector>

#include "server/game/FlagNews.h"
#include "server/game/SimulationListener.h"

class Reporter;
class EventLog;

// Turns what happens in the game into the game's messages for every
// player (through the Reporter), notices in their consoles, and lines in
// the operator's log.
class Announcer : public SimulationListener {
public:
    using KillWatch = std::function<void(const Player& victim, const Player* killer, DeathCause cause)>;

    Announcer(Reporter& reporter, EventLog& log) : reporter(reporter), log(log) {}

    // Told of every ship killed, after the players, by whoever keeps figures.
    void WatchKills(KillWatch watch) { killWatches.push_back(std::move(watch)); }

    // The round's time now, by which flag news is paced.
    void KeepTime(std::function<int()> roundMsNow) { clock = std::move(roundMsNow); }

    // Once a tick: flag news held back that is due now.
    void Tick();

    // The pilot's console alone says which side it plays for.
    void TellSide(const Player& player);

    // A notice every player's console shows, and the log too.
    void Notice(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void OnRoundStarted(const std::string& mapName, const Map& map, int msLeft, int scoreLimit,
                        const char* mode) override;
    void OnRoundOver(const Player* winner) override;
    void OnMapSkipped(const std::string& mapName, const std::string& reason) override;
    void OnShipSpawned(const Player& player) override;
    void OnShipChanged(const Player& player) override;
    void OnShipKilled(const Player& victim, const Player* killer, DeathCause cause) override;
    void OnEntityAppeared(const GameObject& entity, int firedBy) override;
    void OnEntityMoved(const GameObject& entity) override;
    void OnEntityKilled(const GameObject& entity) override;
    void OnTurretChanged(const Turret& turret) override;
    void OnTileChanged(int column, int row, std::uint8_t value) override;
    void OnTeamChanged(const Player& player) override;
    // The pilot hears which side it plays for, as a team round starts.
    void OnSideDealt(const Player& player) override { TellSide(player); }
    void OnTeamScores(int red, int blue) override;
    void OnTeamsFinished(Team ahead, int red, int blue) override;
    void OnFlag(FlagEvent event, const Flag& flag, const Player* by) override;
    void OnNoRoomForFlags() override;
    void OnBasesRefused() override;

private:
    // The flag's line in every console.
    void Tell(const FlagNews::Line& line, Team team, bool byPilot);

    Reporter& reporter;
    EventLog& log;
    std::vector<KillWatch> killWatches;
    std::function<int()> clock = [] { return 0; };
    FlagNews flagNews;
};
