#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "server/game/CollisionGrid.h"
#include "server/game/FuelDepots.h"
#include "server/game/GameMode.h"
#include "server/game/MapRotation.h"
#include "server/game/Navigator.h"
#include "server/game/Player.h"
#include "server/game/PowerupSpawner.h"
#include "server/game/SimulationListener.h"
#include "server/game/SpawnSites.h"
#include "server/game/TurretGunner.h"
#include "world/Map.h"
#include "world/Walls.h"
#include "world/World.h"

class Ship;
class Turret;
struct LaunchRequest;

struct SimulationSettings {
    int scoreLimit = 0; // 0: the mode's own
    int roundMs = 10 * 60 * 1000; // 0: rounds without a time limit
    int resultsMs = 5000;         // the standings stay up this long
    bool dropPowerups = true;
    unsigned seed = 0;            // 0: a different game every time
    std::string mode = "dm";      // one GameMode::Make knows
    bool friendlyFire = false;    // in a team game, whether teammates' shots and ships hurt
};

// The game itself, as the server runs it: one world (the NetServer's, so
// that missiles home on it), the players who fly in it and the rules that
// move, hit, score and end rounds. Each Step advances it by a tick; what
// happens is told to a listener. It knows nothing of the network: a test,
// a benchmark or the server steps it alike.
class Simulation {
public:
    static constexpr std::size_t kMaxEntities = 4096;

    static constexpr double kRepulsorReach = 240.0;
    static constexpr double kRepulsorPush = 600.0;
    static constexpr int kShrapnelPieces = 12;
    static constexpr double kShrapnelSpeed = 250.0;
    // Fuel blocks' levels go out at most this often.
    static constexpr int kTileReportMs = 250;
    // Killed entities the world keeps until one sweep deletes them all.
    static constexpr std::size_t kSweepBatch = 256;

    Simulation(SimulationListener& listener, MapRotation& rotation, const SimulationSettings& settings = {});
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // The first round, on the rotation's first map; false with the reason
    // when that map cannot be played.
    bool Start(std::string& reason);
    // Once nobody plays: the simulation as it was made, drawing from its
    // seed again, ids from 1 and the clock at 0, then Start.
    bool Restart(std::string& reason);
    // A new round at once on the named map; false with the reason when it
    // cannot be played (the round goes on).
    bool ChangeMap(const std::string& name, std::string& reason);
    // A new round at once on the map a round's end would bring; false when
    // no map of the rotation can be played (the round goes on).
    bool NextMap();
    // The mode the next round plays; false when no mode has the name.
    bool SetNextMode(std::string_view name);
    const GameMode& Mode() const { return *mode; }
    // The mode asked for from the next round on; null when none was.
    const GameMode* NextMode() const { return nextMode.get(); }

    // A new pilot with a ship placed at once; null when the game is full.
    Player* AddPlayer(const std::string& name, int shipType);
    // A slot for a watcher without a ship, never given to a pilot; -1 when
    // every slot is taken. Restart frees them all.
    int ReserveSlot();
    // A watcher's slot is free again; false for a slot no watcher holds.
    bool ReleaseSlot(int slot);
    bool IsReserved(int slot) const
    {
        return slot >= 0 && slot < Player::kMaxSlots && reservedSlots.test(static_cast<std::size_t>(slot));
    }
    void RemovePlayer(Player* player);
    // In a team game: the pilot plays for the other side from now on, its
    // score kept. A ship in flight goes down, to come back on the usual
    // wait: changing sides is no escape from a fight.
    void SwitchTeam(Player& player);
    Player* FindPlayer(int shipId) const;
    const std::vector<std::unique_ptr<Player>>& Players() const { return players; }
    // Teammates, when teammates cannot hurt each other.
    bool Harmless(const Player& a, const Player& b) const { return !settings.friendlyFire && a.IsTeammate(b); }

    void Step(int ms);
    // A powerup of a kind floating at a point; null when the world is full.
    GameObject* PlacePowerup(int kind, const Vector3& at);

    // The world, and its clock: the game's own time.
    World& GetWorld() { return world; }
    const World& GetWorld() const { return world; }
    Map* CurrentMap() const { return currentMap; }
    // Which cells of the current map a ship cannot cross, for the robots.
    const Navigator& Shape() const { return shape; }
    const std::string& MapName() const { return mapName; }
    // Rounds begun since the start: a new one every time the map is loaded.
    std::uint32_t Rounds() const { return rounds; }
    bool IsRoundOver() const { return phase == Phase::Results; }
    // How much longer the standings show; 0 while a round is played.
    int ResultsMsLeft() const { return phase == Phase::Results ? resultsLeft : 0; }
    // What is left of the round's time; -1 when rounds have no time limit.
    int RoundMs() const { return roundElapsed; }
    int RoundMsLeft() const { return settings.roundMs > 0 ? std::max(0, settings.roundMs - roundElapsed) : -1; }
    int ScoreLimit() const { return settings.scoreLimit > 0 ? settings.scoreLimit : mode->DefaultScoreLimit(); }
    // The ship id of the last round's winner, 0 before the first ends.
    int WinnerShip() const { return winnerShip; }
    const FuelDepots& Depots() const { return depots; }
    const std::vector<Turret*>& Turrets() const { return turrets; }
    std::size_t EntityCount() const { return records.size(); }

private:
    enum class Phase { Playing, Results };

    // What the server knows of an entity beyond the entity itself.
    struct Record {
        GameObject* entity;
        int ownerShip;         // the ship id of the player who fired it, 0 for none
        int ownerTurret;       // the turret that fired it, 0 for none
        std::uint64_t armedAt; // from then on it may hit its own ship
        double flown;          // units moved away from its owner since its launch
    };
    struct Death {
        Player* victim;
        Player* killer;
        DeathCause cause;
    };

    void StartRound(MapRotation::Loaded loaded);
    void PlaceTurrets();
    // The lowest slot neither a pilot's nor reserved, or -1.
    int FreeSlot() const;
    void Spawn(Player& player);
    // As a round starts: sides for everyone when the mode plays in teams
    // and some have none, and none when it does not.
    void DealTeams();
    void TellTeamScores();
    GameMode::Field ModeField() { return {players, *currentMap, shape, listener, random}; }
    // A shot of a teammate, when teammates cannot hurt each other.
    bool SparesTeammate(const Record& record, const Player& target) const;
    // The spawn point farthest from danger: the living ships, and the
    // turrets that can shoot there, dead ones too, since they come back.
    const SpawnSites::Site& SafestSpawnSite(const Player& arriving) const;
    void EndRound();
    void NextRound();
    void CheckRoundEnd();

    // Controls (SimulationControls.cpp).
    void Fly(Player& player, int ms);
    void Fire(Player& player, const LaunchRequest& request);
    void Repulse(Player& player);
    GameObject* Launch(std::unique_ptr<GameObject> entity, const Vector3& at, const Vector3& velocity, float heading,
                       int ownerShip, int ownerTurret, int armingMs);
    int NextEntityId();
    Ship* NearestVisibleOpponent(const Vector3& from, int ownerShip) const;

    // Entities, turrets and contacts (SimulationContacts.cpp).
    void RunEntities(int ms);
    void RunTurrets(int ms);
    void Move(int ms);
    void Contacts();
    void ShipsAgainstWalls();
    void ShipsAgainstShips();
    void ShipsAgainstEntities();
    // Its own shot leaves a ship alone until armed, and again once flown
    // beyond its reach.
    bool SparesOwner(const Record& record, const Ship& ship) const;
    void ShipsAgainstTurrets();
    void EntitiesAgainstWalls();
    void EntitiesAgainstTurrets();
    // Rebounded: back to where it was before this tick's move, and told.
    void Rebounded(GameObject& entity, const Vector3& velocityBefore);
    void Killed(Player& victim, const Record* by);
    // A ship died touching something: the contact's blame says for whom.
    void Lost(Player& victim, const GameObject& against, const Record* record);
    void Settle();

    SimulationListener& listener;
    MapRotation& rotation;
    SimulationSettings settings;
    std::unique_ptr<GameMode> mode;
    std::unique_ptr<GameMode> nextMode; // from the next round on
    std::mt19937 random;
    World world;
    Map* currentMap = nullptr; // the world's
    std::string mapName;
    Navigator shape; // of the current map
    SpawnSites spawnSites;
    Phase phase = Phase::Playing;
    int roundElapsed = 0;
    int resultsLeft = 0;
    int tileReportIn = 0;
    int tickMs = 0;

    std::vector<std::unique_ptr<Player>> players;
    std::bitset<Player::kMaxSlots> reservedSlots;
    std::uint32_t rounds = 0;
    int nextShipId = 1;
    int winnerShip = 0;
    int nextEntityId = 1;
    std::vector<Record> records;
    std::size_t deadInWorld = 0; // killed, not yet deleted by the world
    std::vector<Death> deaths;
    std::vector<Turret*> turrets;
    std::vector<TurretGunner> gunners;
    std::vector<const Ship*> visibleShips;
    Walls walls;
    FuelDepots depots;
    PowerupSpawner powerups;
    CollisionGrid grid;
};
