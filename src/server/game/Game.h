#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "server/game/Announcer.h"
#include "server/game/GameOptions.h"
#include "server/game/HostedGame.h"
#include "server/game/MapRotation.h"
#include "server/game/Reporter.h"
#include "server/game/RobotCrew.h"
#include "server/game/Simulation.h"
#include "world/HeldKeys.h"

class EventLog;

// One game as the server hosts it, without a network: the map rotation, the
// simulation, what each watching player is told, and the robots in the seats
// people leave free. Players are known by their slots. It keeps a clock of
// its own that moves only with its ticks, so that the same seed, joins and
// held keys tick by tick make the same game, payload for payload.
class Game : public HostedGame {
public:
    using KillWatch = Announcer::KillWatch;

    static SimulationSettings SettingsFrom(const GameOptions& options);

    Game(const GameOptions& options, const std::string& dataDir, EventLog& log);
    // With rules of its own (a benchmark's); the seed is the options' still.
    Game(const GameOptions& options, SimulationSettings settings, const std::string& dataDir, EventLog& log);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    bool Start(std::string& error) override;
    // Robots take the seats people leave free, up to the number wanted.
    void FillSeats() override;
    // Everyone seated leaves, and the game is as it started: its robots,
    // draws, ids and clock, so that it plays the same again for the same
    // inputs.
    void Restart() override;

    // A person takes a seat, named as nobody else is, the newest robot
    // giving its seat up when none is free (or when watchers hold every
    // slot left), and is told the game as it is.
    int Join(const char* requestedName, int shipType) override;
    void Leave(int slot) override;
    // A watcher takes a slot of its own, as long as the game lasts
    // (Restart lets it go); in a game whose robots hold every slot, the
    // newest gives its slot up and comes back after the watcher leaves.
    int Watch() override;
    int WatchAs(const std::string& name) override;
    void KeepNamesOf(NameTaken taken) override { heldElsewhere = std::move(taken); }
    void CountWatchers(int count) override;
    void Hold(int slot, const HeldKeys& keys) override;
    void Acknowledge(int slot, std::uint16_t snapshot) override;
    void Chat(int slot, const char* text) override;
    void Tell(int slot, const char* text) override;
    // map, next, bots, mode and team (GameCommands.cpp).
    std::vector<Command> Commands() override;
    // The same without a game to run them: for help.
    static std::vector<Command> Listed();
    // One fewer robot is wanted, or it would come back to the seat it leaves.
    void Retire(int slot) override;

    // The robots think, the simulation steps, and each watching player's
    // payloads of the tick are handed to send.
    void Tick(int ms, const Send& send) override;
    void Charge(int slot, std::size_t sentBytes, std::uint32_t resent) override;
    void Link(int slot, const LinkState& link) override;

    std::uint64_t Now() const override { return simulation.GetWorld().Now(); }
    Glance Look() const override;
    const std::vector<std::string>& Maps() const override { return rotation.Names(); }
    std::vector<Seat> Seats() const override;

    // A new round at once on the named map; when it cannot be played, the
    // log says why.
    bool ChangeMap(const std::string& name);
    // A new round at once on the map a round's end would bring.
    bool NextMap();
    void WantRobots(int robots);
    void WatchKills(KillWatch watch) { announcer.WatchKills(std::move(watch)); }
    // No round follows this one: a robot that wins it asks for none.
    void LastRound() { lastRound = true; }

    unsigned Seed() const { return seed; }
    // Seats taken, by people and robots.
    int Seated() const { return static_cast<int>(simulation.Players().size()); }
    int People() const { return Seated() - crew.Count(); }
    int Robots() const { return crew.Count(); }
    Player* Pilot(int slot) const;
    Simulation& GetSimulation() { return simulation; }
    const Simulation& GetSimulation() const { return simulation; }

private:
    // Takes a ship out of the game and tells everyone it left.
    void RemovePilot(Player* player);
    // The newest robot gives its seat up; false without one.
    bool RetireRobot();
    // Everything a newcomer's program needs to show the game as it is,
    // after its own ship's id for a pilot.
    void Welcome(int slot);
    // A watcher's slot, its reply (a person's) before its welcome.
    int Observe(const char* name);
    // Whether a pilot or someone outside the seats has the name.
    bool Taken(const std::string& name) const;
    // A robot that wins a round says so.
    void Cheer();
    // With one match: a fresh round as the first person comes, and the
    // game is finished once that round's standings have shown.
    bool MatchPlayedOut(int ms);

    // A command's row: as listed, and its body.
    struct CommandRow {
        Command listed;
        bool (Game::*body)(const std::string& arguments, const std::string& by, int slot, const Reply& reply);
    };
    static const CommandRow kCommandRows[];
    bool MapCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply);
    bool NextCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply);
    bool BotsCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply);
    bool ModeCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply);
    bool TeamCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply);
    // In a team game: robots change sides until the teams differ by one at most.
    void BalanceTeams();
    // The newest robot of a team; null without one.
    Player* RobotOf(Team team) const;

    GameOptions options;
    EventLog& log;
    unsigned seed;
    MapRotation rotation;
    Reporter reporter;
    Announcer announcer;
    Simulation simulation;
    RobotCrew crew;
    bool lastRound = false;
    bool matchBegun = false; // with one match, once a person came
    bool finished = false;
    int watchers = 0; // as the engine counts them
    // A watcher's slot came free: robots take up seats again at the next
    // tick, so that a watcher taking a seat meanwhile finds it still free.
    bool refill = false;
    NameTaken heldElsewhere;
};
