#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "server/game/Announcer.h"
#include "world/HeldKeys.h"
#include "server/game/MapRotation.h"
#include "server/game/Reporter.h"
#include "server/game/RobotCrew.h"
#include "server/game/GameOptions.h"
#include "server/game/Simulation.h"

class EventLog;

// One game as the server hosts it, without a network: the map rotation, the
// simulation, what each watching player is told, and the robots in the seats
// people leave free. Players are known by their slots. It keeps a clock of
// its own that moves only with its ticks, so that the same seed, joins and
// held keys tick by tick make the same game, payload for payload.
class Game {
public:
    using Send = std::function<void(int slot, const std::vector<std::uint8_t>& payload, bool reliable)>;
    using KillWatch = Announcer::KillWatch;
    // The slot of no player: a seat refused.
    static constexpr int kNobody = -1;

    static SimulationSettings SettingsFrom(const GameOptions& options);

    Game(const GameOptions& options, const std::string& dataDir, EventLog& log);
    // With rules of its own (a benchmark's); the seed is the options' still.
    Game(const GameOptions& options, SimulationSettings settings, const std::string& dataDir, EventLog& log);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Checks every named map and starts the first round; false with the reason.
    bool Start(std::string& error);
    // Robots take the seats people leave free, up to the number wanted.
    void FillSeats();
    // Everyone seated leaves, and the game is as it started: its robots,
    // draws, ids and clock, so that it plays the same again for the same
    // inputs.
    void Restart();

    // A person takes a seat, named as nobody else is, the newest robot
    // giving its seat up when none is free, and is told the game as it is;
    // the slot, or kNobody when the game is full.
    int Join(const char* requestedName, int shipType);
    void Leave(int slot);
    // A watcher without a ship takes a slot of its own and is told the game
    // as it is, then everything everywhere on the map, as long as the game
    // lasts (Restart lets it go); kNobody when every slot is taken.
    int Watch();
    void Hold(int slot, const HeldKeys& keys);
    // A player's line of chat, for everyone.
    void Chat(int slot, const char* text);
    // A line in one player's console.
    void Tell(int slot, const char* text);
    // A new round at once on the named map; when it cannot be played, the
    // log says why.
    bool ChangeMap(const std::string& name);
    // A new round at once on the map a round's end would bring.
    bool NextMap();
    void WantRobots(int robots);
    int RobotsWanted() const { return crew.Wanted(); }
    // A robot leaves its seat for good: one fewer is wanted, or it would
    // come back to the seat it leaves.
    void Retire(int slot);
    // A line in every player's console.
    void TellAll(const char* text) { reporter.ToAll().SetText(text); }
    void WatchKills(KillWatch watch) { announcer.WatchKills(std::move(watch)); }
    // No round follows this one: a robot that wins it asks for none.
    void LastRound() { lastRound = true; }

    // What a player was sent besides the reports, and how often reliable
    // payloads went to it again: its share of bandwidth pays for both.
    void Charge(int slot, double bytes) { reporter.Charge(slot, bytes); }
    void ChargeResent(int slot, std::uint32_t resent) { reporter.ChargeResent(slot, resent); }

    // The clock moves on by ms, the robots think, the simulation steps, and
    // each watching player's payloads of the tick are handed to send.
    void Tick(int ms, const Send& send);

    // Milliseconds of play since the game began.
    std::uint64_t Now() const { return simulation.GetWorld().Now(); }
    unsigned Seed() const { return seed; }
    // Rounds begun since the start, and the map of the last of them.
    std::uint32_t Round() const { return simulation.Rounds(); }
    const std::string& MapName() const { return simulation.MapName(); }
    // Seats taken, by people and robots.
    int Seated() const { return static_cast<int>(simulation.Players().size()); }
    int People() const { return Seated() - crew.Count(); }
    int Robots() const { return crew.Count(); }
    Player* Pilot(int slot) const;
    const std::vector<std::string>& Maps() const { return rotation.Names(); }
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
    // A robot that wins a round says so.
    void Cheer();

    GameOptions options;
    EventLog& log;
    unsigned seed;
    MapRotation rotation;
    Reporter reporter;
    Announcer announcer;
    Simulation simulation;
    RobotCrew crew;
    bool lastRound = false;
};
