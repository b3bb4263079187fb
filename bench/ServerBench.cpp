#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "server/game/EventLog.h"
#include "server/game/Game.h"
#include "server/game/PowerupSpawner.h"
#include "server/game/RobotCrew.h"
#include "world/Map.h"
#include "world/Ship.h"

namespace {

// The server's game without its network, every player watching, pilots
// holding keys at random as people in a fight do, changing their minds
// twice a second.
class HeadlessGame {
public:
    HeadlessGame(const char* map, bool dropPowerups, const char* mode = "dm")
        : game(Options(map, mode), Settings(map, dropPowerups, mode), QR_DATA_DIR, log)
    {
    }

    bool Start(int pilots, std::string& reason)
    {
        if (!game.Start(reason))
            return false;
        for (int i = 0; i < pilots; ++i)
            players.push_back(game.Join(("Pilot " + std::to_string(i)).c_str(), i % Ship::kDesigns));
        bytes.assign(static_cast<std::size_t>(pilots), 0);
        payloads.assign(static_cast<std::size_t>(pilots), 0);
        datagrams.assign(static_cast<std::size_t>(pilots), 0);
        lastDatagramTick.assign(static_cast<std::size_t>(pilots), -1);
        return true;
    }

    void Tick(int ms)
    {
        sinceChoice += ms;
        if (sinceChoice >= 500) {
            sinceChoice = 0;
            for (const int slot : players)
                Choose(slot);
        }
        game.Tick(ms, [this](int slot, const std::vector<std::uint8_t>& payload, bool) {
            const auto at = static_cast<std::size_t>(slot);
            bytes[at] += payload.size();
            ++payloads[at];
            if (lastDatagramTick[at] != ticks) {
                lastDatagramTick[at] = ticks;
                ++datagrams[at];
            }
        });
        ++ticks;
    }

    // Tops the world up with drifting powerups to the count given, each
    // set down in open space as the game's own are: one set inside a wall
    // would stay there, rebounding every tick.
    void KeepMoving(std::size_t entities)
    {
        Simulation& simulation = game.GetSimulation();
        const Map& map = *simulation.CurrentMap();
        std::uniform_int_distribution<int> column(0, map.Columns() - 1);
        std::uniform_int_distribution<int> row(0, map.Rows() - 1);
        std::uniform_real_distribution<double> within(0.0, 1.0);
        std::uniform_real_distribution<double> speed(-200.0, 200.0);
        while (simulation.EntityCount() < entities) {
            const int c = column(random);
            const int r = row(random);
            if (!PowerupSpawner::IsOpen(map, c, r))
                continue;
            const Vector3 at((c + within(random)) * map.TileWidth(), (r + within(random)) * map.TileHeight(), 0);
            GameObject* drifting = simulation.PlacePowerup(0, at);
            drifting->SetVelocity(Vector3(speed(random), speed(random), 0));
        }
    }

    Simulation& GetSimulation() { return game.GetSimulation(); }
    const std::vector<std::size_t>& Bytes() const { return bytes; }
    // What a player's payloads take on the wire: ENet sends what one tick
    // queued in one datagram, with IPv4 and UDP headers (28 bytes) and its
    // own (4), and a send command (8 at most) before each payload.
    std::size_t WireBytes(std::size_t slot) const { return bytes[slot] + datagrams[slot] * 32 + payloads[slot] * 8; }

private:
    static GameOptions Options(const char* map, const char* mode)
    {
        GameOptions options;
        options.mode = mode;
        options.maps = {map};
        options.maxPlayers = Player::kMaxSlots;
        options.roundMinutes = 0.0;
        options.scoreLimit = 126;
        options.seed = 11;
        return options;
    }

    static SimulationSettings Settings(const char* map, bool dropPowerups, const char* mode)
    {
        SimulationSettings settings = Game::SettingsFrom(Options(map, mode));
        settings.dropPowerups = dropPowerups;
        return settings;
    }

    void Choose(int slot)
    {
        std::uniform_int_distribution<int> percent(0, 99);
        HeldKeys keys;
        if (percent(random) < 60)
            keys.Press(kKeyThrust);
        const int turn = percent(random);
        if (turn < 35)
            keys.Press(kKeyTurnLeft);
        else if (turn < 70)
            keys.Press(kKeyTurnRight);
        if (percent(random) < 70)
            keys.Press(kKeyFire);
        if (percent(random) < 15)
            keys.Press(kKeyShields);
        if (percent(random) < 10)
            keys.Press(kKeyMissile);
        if (percent(random) < 10)
            keys.Press(kKeyMine);
        game.Hold(slot, keys);
        Ship& ship = game.Pilot(slot)->GetShip();
        ship.SetFuel(ship.GetMaxFuel());
    }

    EventLog log;
    Game game;
    std::vector<int> players; // slots
    std::vector<std::size_t> bytes;
    std::vector<std::size_t> payloads;
    std::vector<std::size_t> datagrams;
    std::vector<long> lastDatagramTick;
    long ticks = 0;
    std::mt19937 random {5};
    int sinceChoice = 500;
};

} // namespace

// One tick of the server at 60 Hz: players fighting among moving entities,
// with every player's reports and payloads. 32 players among 2,000 on
// Expanse, or a crowd of 64 among 4,000 on Hive, the map made for them;
// everyone against everyone (0), in two teams (1), or for two flags (2).
static void BM_ServerTick(benchmark::State& state)
{
    constexpr const char* kModes[] = {"dm", "tdm", "ctf"};
    const int pilots = static_cast<int>(state.range(1));
    const auto entities = static_cast<std::size_t>(state.range(2));
    HeadlessGame game(pilots > 32 ? "Hive" : "Expanse", false, kModes[state.range(0)]);
    std::string reason;
    if (!game.Start(pilots, reason)) {
        state.SkipWithError(reason.c_str());
        return;
    }
    for (int warm = 0; warm < 600; ++warm) {
        game.KeepMoving(entities);
        game.Tick(16);
    }
    for (auto _ : state) {
        state.PauseTiming();
        game.KeepMoving(entities);
        state.ResumeTiming();
        game.Tick(16);
    }
    state.counters["entities"] = static_cast<double>(game.GetSimulation().EntityCount());
    state.SetLabel(kModes[state.range(0)]);
}
BENCHMARK(BM_ServerTick)
    ->ArgNames({"mode", "players", "entities"})
    ->ArgsProduct({{0, 1, 2}, {32}, {2000}})
    ->ArgsProduct({{0, 1, 2}, {64}, {4000}})
    ->Unit(benchmark::kMicrosecond);

// What one player is sent while 16 fly and fight on the smallest map, where
// everyone is in everyone's sight: a minute of play, in bytes a second.
static void BM_BytesToOnePlayer16Fighting(benchmark::State& state)
{
    for (auto _ : state) {
        HeadlessGame game("Arena", true);
        std::string reason;
        if (!game.Start(16, reason)) {
            state.SkipWithError(reason.c_str());
            return;
        }
        constexpr int kSeconds = 60;
        for (int ms = 0; ms < kSeconds * 1000; ms += 16)
            game.Tick(16);
        const auto& bytes = game.Bytes();
        const auto most = *std::max_element(bytes.begin(), bytes.end());
        std::size_t mostOnWire = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            mostOnWire = std::max(mostOnWire, game.WireBytes(i));
        state.counters["most_bytes_per_s"] = static_cast<double>(most) / kSeconds;
        state.counters["most_wire_bytes_per_s"] = static_cast<double>(mostOnWire) / kSeconds;
        state.counters["player0_bytes_per_s"] = static_cast<double>(bytes[0]) / kSeconds;
        state.counters["entities_at_end"] = static_cast<double>(game.GetSimulation().EntityCount());
    }
}
BENCHMARK(BM_BytesToOnePlayer16Fighting)->Iterations(1)->Unit(benchmark::kMillisecond);

// The thinking of robots for one tick, in the middle of their own fight:
// what robots add to a tick of the server. 16 on Arena, Warren and
// Expanse, and 63 on Hive, a crowd beside one person. A crew of its own
// flies in the game, so that its thinking alone is timed.
static void BM_RobotsThinkOneTick(benchmark::State& state)
{
    static const char* const kMaps[] = {"Arena", "Warren", "Expanse", "Hive"};
    const int robots = static_cast<int>(state.range(1));
    HeadlessGame game(kMaps[state.range(0)], true);
    std::string reason;
    if (!game.Start(0, reason)) {
        state.SkipWithError(reason.c_str());
        return;
    }
    Simulation& simulation = game.GetSimulation();
    RobotCrew crew(robots, kDefaultRobotSkill, 9);
    for (int i = 0; i < robots; ++i)
        crew.Enlist(simulation.AddPlayer("Robot " + std::to_string(i), i % Ship::kDesigns));
    for (int warm = 0; warm < 1800; ++warm) {
        crew.Think(simulation, 16);
        game.Tick(16);
    }
    for (auto _ : state) {
        crew.Think(simulation, 16);
        state.PauseTiming();
        game.Tick(16);
        state.ResumeTiming();
    }
    state.SetLabel(kMaps[state.range(0)]);
}
BENCHMARK(BM_RobotsThinkOneTick)
    ->ArgNames({"map", "robots"})
    ->ArgsProduct({{0, 1, 2}, {16}})
    ->Args({3, 63})
    ->Unit(benchmark::kMicrosecond);
