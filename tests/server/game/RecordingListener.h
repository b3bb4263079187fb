#pragma once

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "server/game/Player.h"
#include "server/game/SimulationListener.h"
#include "world/GameObject.h"
#include "world/Turret.h"

// Writes down what a simulation tells, for tests to look at.
class RecordingListener : public SimulationListener {
public:
    struct Kill {
        int victim;
        int killer; // 0 for none
        DeathCause cause;
        bool operator==(const Kill&) const = default;
        friend void PrintTo(const Kill& k, std::ostream* out)
        {
            *out << "{victim " << k.victim << ", killer " << k.killer << ", cause " << static_cast<int>(k.cause) << "}";
        }
    };
    struct Entity {
        int id;
        int type;
        Vector3 velocity;
    };

    std::vector<std::string> rounds;
    std::vector<std::string> skipped;
    std::vector<int> winners; // ship ids, 0 for none
    std::vector<int> spawned;
    std::vector<int> changed;
    std::vector<Kill> kills;
    std::vector<Entity> appeared;
    std::vector<Entity> moved;
    std::vector<Entity> killed;
    std::vector<std::pair<int, bool>> turrets;
    std::vector<std::pair<int, int>> tiles;
    struct FlagNews {
        FlagEvent event;
        Team team;
        int by; // ship id, 0 for none
        bool operator==(const FlagNews&) const = default;
        friend void PrintTo(const FlagNews& f, std::ostream* out)
        {
            *out << "{event " << static_cast<int>(f.event) << ", team " << static_cast<int>(f.team) << ", by " << f.by
                 << "}";
        }
    };
    std::vector<FlagNews> flags;
    int noRoomForFlags = 0;
    int basesRefused = 0;
    int scoreLimit = 0; // the last round's, as told
    std::string title;  // the last round's mode, as the log names it
    std::vector<std::pair<int, int>> teamScores;

    std::vector<Entity> Appeared(int type) const
    {
        std::vector<Entity> found;
        std::ranges::copy_if(appeared, std::back_inserter(found), [type](const Entity& e) { return e.type == type; });
        return found;
    }

    void OnRoundStarted(const std::string& mapName, const Map&, int, int limit, const char* mode) override
    {
        rounds.push_back(mapName);
        scoreLimit = limit;
        title = mode;
    }
    void OnRoundOver(const Player* winner) override { winners.push_back(winner ? winner->ShipId() : 0); }
    void OnMapSkipped(const std::string& mapName, const std::string&) override { skipped.push_back(mapName); }
    void OnShipSpawned(const Player& player) override { spawned.push_back(player.ShipId()); }
    void OnShipChanged(const Player& player) override { changed.push_back(player.ShipId()); }
    void OnShipKilled(const Player& victim, const Player* killer, DeathCause cause) override
    {
        kills.push_back({victim.ShipId(), killer ? killer->ShipId() : 0, cause});
    }
    void OnEntityAppeared(const GameObject& e, int) override { appeared.push_back({e.GetId(), e.GetType(), e.Velocity()}); }
    void OnEntityMoved(const GameObject& e) override { moved.push_back({e.GetId(), e.GetType(), e.Velocity()}); }
    void OnEntityKilled(const GameObject& e) override { killed.push_back({e.GetId(), e.GetType(), e.Velocity()}); }
    void OnTurretChanged(const Turret& turret) override { turrets.emplace_back(turret.GetId(), turret.IsAlive()); }
    void OnTileChanged(int column, int row, std::uint8_t) override { tiles.emplace_back(column, row); }
    void OnTeamScores(int red, int blue) override { teamScores.emplace_back(red, blue); }
    void OnFlag(FlagEvent event, const Flag& flag, const Player* by) override
    {
        flags.push_back({event, flag.team, by ? by->ShipId() : 0});
    }
    void OnNoRoomForFlags() override { ++noRoomForFlags; }
    void OnBasesRefused() override { ++basesRefused; }
};
