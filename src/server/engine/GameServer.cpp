#include "server/engine/GameServer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <thread>

#include "net/ApplicationGuid.h"
#include "net/NetMessage.h"
#include "server/engine/DottedAddress.h"
#include "server/game/PlayerText.h"
#include "server/engine/ServerLog.h"

namespace {

// Each wait for the next tick handles what arrived for at most this long.
constexpr std::uint32_t kWorkBudgetMs = 4;
// Further behind than this, the clock gives up catching up.
constexpr std::chrono::milliseconds kMostBehind(250);

std::string SignalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}

struct DropText {
    const char* metric;
    const char* log;
    // The line a player in the game is told before it goes, if any.
    const char* told;
};

// By GameServer::DropReason.
constexpr DropText kDropTexts[GameServer::kDropReasons] = {
    {"crowding", "too many connections from its address wait to join", nullptr},
    {"never_joined", "never joined", nullptr},
    {"flood", "floods the server", nullptr},
    {"garbage", "sent something that is not a message", nullptr},
    {"full", "the game is full", nullptr},
    {"kicked", "kicked", "An admin of this server has dropped you from the game."},
    {"banned", "banned", "You are banned from this server."},
};

} // namespace

GameServer::GameServer(const ServerOptions& options, const std::string& dataDir, ServerLog& log)
    : options(options), log(log), game(options, dataDir, log), session(this)
{
    AddCommands();
    if (!options.recordDir.empty())
        recorder = std::make_unique<RoundRecorder>(options.recordDir, dataDir, options.name, log);
}

GameServer::~GameServer() = default;

bool GameServer::Start(std::string& error)
{
    if (!session.Host(ApplicationGuid(), options.name, static_cast<std::uint32_t>(options.maxPlayers), options.port,
                      error))
        return false;
    if (!LoadAdmission(error) || !game.Start(error) || !StartRecording(error)) {
        session.End();
        return false;
    }
    std::string maps;
    for (const std::string& name : game.Maps())
        maps += (maps.empty() ? "" : ", ") + name;
    if (!StartOutside(error)) {
        session.End();
        return false;
    }
    log.Always("hosting \"%s\" on UDP port %u for %d players; maps: %s", options.name.c_str(), options.port,
               options.maxPlayers, maps.c_str());
    game.FillSeats();
    CountSeats();
    return true;
}

bool GameServer::StartUnhosted(std::string& error)
{
    if (!LoadAdmission(error) || !game.Start(error) || !StartRecording(error))
        return false;
    game.FillSeats();
    return true;
}

bool GameServer::StartRecording(std::string& error)
{
    if (!recorder)
        return true;
    if (!recorder->Prepare(error))
        return false;
    recorderSlot = game.Watch();
    if (recorderSlot == Game::kNobody) {
        error = "no slot is left for the recording's watcher";
        return false;
    }
    log.Always("recording every round into %s", options.recordDir.c_str());
    return true;
}

void GameServer::Run(const std::atomic<int>& stop)
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::nanoseconds(1000000000LL / options.tickRate);
    auto next = Clock::now() + period;
    long long ticks = 0;
    auto lastTick = Clock::now();
    auto statusAt = lastTick;
    while (stop == 0 && !halted) {
        session.DoWork(kWorkBudgetMs);
        ReadConsole();
        LookOutside();
        const auto now = Clock::now();
        if (now < next) {
            std::this_thread::sleep_for(std::min<Clock::duration>(next - now, std::chrono::milliseconds(1)));
            continue;
        }
        // Whole milliseconds a tick, adding up exactly to the rate.
        const long long elapsed = std::llround((ticks + 1) * 1000.0 / options.tickRate);
        const int ms = static_cast<int>(elapsed - std::llround(ticks * 1000.0 / options.tickRate));
        if (ticks > 0) {
            const auto gap = std::chrono::duration_cast<std::chrono::microseconds>(now - lastTick).count();
            worstGapMicros = std::max<std::int64_t>(worstGapMicros, gap);
            tickGaps.Add(game.Now(), gap);
            statusWorstGapMicros = std::max<std::int64_t>(statusWorstGapMicros, gap);
        }
        lastTick = now;
        ++ticks;
        Tick(ms);
        if (now - statusAt >= kStatusInterval) {
            statusAt = now;
            log.Always("status: %s, %s playing; the longest tick of the last %lld minutes %.1f ms",
                       Counted(static_cast<long long>(connections.size()), "connection", "connections").c_str(),
                       Counted(game.People(), "person", "people").c_str(),
                       static_cast<long long>(std::chrono::duration_cast<std::chrono::minutes>(kStatusInterval).count()),
                       static_cast<double>(periodWorstMicros) / 1000.0);
            periodWorstMicros = 0;
        }
        next += period;
        if (now - next > kMostBehind)
            next = now;
    }
    if (const int signal = stop.load())
        log.Always("%s: the server stops", SignalName(signal).c_str());
    End();
}

void GameServer::Tick(int ms)
{
    const auto started = std::chrono::steady_clock::now();
    if (MatchIsOver(ms))
        return;
    game.Tick(ms, [this](int slot, const std::vector<std::uint8_t>& payload, bool reliable) {
        if (slot == recorderSlot) {
            recorder->Take({game.Round(), game.MapName(), game.Now(), game.People() > 0}, payload);
            return;
        }
        const auto found = bySlot.find(slot);
        if (found != bySlot.end())
            session.QueueTo(found->second, payload.data(), payload.size(),
                            reliable ? platform::Delivery::Reliable : platform::Delivery::Latest);
    });
    session.Flush();
    for (const auto& [id, connection] : connections) {
        if (connection.Joined())
            game.ChargeResent(connection.slot, session.TakeResent(id));
    }
    LookAfterConnections();
    CountSeats();
    openConnections = connections.size();
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    tickTimes.Add(game.Now(), took.count());
    ++ticksDone;
    worstTickMicros = std::max<std::int64_t>(worstTickMicros, took.count());
    periodWorstMicros = std::max<std::int64_t>(periodWorstMicros, took.count());
    statusWorstTickMicros = std::max<std::int64_t>(statusWorstTickMicros, took.count());
}

bool GameServer::MatchIsOver(int ms)
{
    if (!options.oneMatch)
        return false;
    if (!matchBegun) {
        // Robots waiting for players play on; the match is the players',
        // from a fresh round as the first one comes.
        if (game.People() == 0)
            return false;
        matchBegun = true;
        const std::string map = game.MapName();
        log.Always("the match begins with its first player: a fresh round on %s", map.c_str());
        game.ChangeMap(map);
        game.LastRound();
        return false;
    }
    const Simulation& simulation = game.GetSimulation();
    if (!simulation.IsRoundOver() || simulation.ResultsMsLeft() > ms)
        return false;
    if (!halted)
        log.Always("the match is over: the server stops, as --one-match asks");
    halted = true;
    return true;
}

void GameServer::End()
{
    log.Always("ending the session; the longest tick took %.1f ms, the longest wait between ticks %.1f ms",
               static_cast<double>(worstTickMicros) / 1000.0, static_cast<double>(worstGapMicros) / 1000.0);
    session.End();
    if (recorder)
        recorder->Close();
    TellOutsideTheEnd();
}

void GameServer::Reset()
{
    while (!connections.empty()) {
        const platform::PlayerId id = connections.begin()->first;
        session.Drop(id);
        Leave(id);
    }
    halted = false;
    game.Restart();
    // The restart let every watcher go: the recording watches anew.
    if (recorder) {
        recorder->Close();
        recorderSlot = game.Watch();
    }
}

void GameServer::OnPlayerJoined(platform::PlayerId id)
{
    OnPlayerJoinedFrom(id, session.AddressOf(id));
}

void GameServer::OnPlayerJoinedFrom(platform::PlayerId id, std::uint32_t address)
{
    Connection& connection = connections[id];
    connection.address = address;
    connection.connectedAt = game.Now();
    connection.countingSince = connection.connectedAt;
    const auto waiting = std::count_if(connections.begin(), connections.end(), [&](const auto& entry) {
        return !entry.second.Joined() && entry.second.address == address;
    });
    if (waiting > kWaitingPerAddress) {
        Drop(id, DropReason::Crowding);
        return;
    }
    log.Line("%s connected", Describe(id).c_str());
}

void GameServer::OnPlayerLeft(platform::PlayerId id)
{
    const auto found = connections.find(id);
    if (found != connections.end() && !found->second.Joined())
        log.Line("%s disconnected", Describe(id).c_str());
    Leave(id);
}

void GameServer::Leave(platform::PlayerId id)
{
    const auto found = connections.find(id);
    if (found == connections.end())
        return;
    const int slot = found->second.slot;
    if (agones && slot != Game::kNobody)
        agones->PlayerDisconnected(AgonesPlayer(id));
    connections.erase(found);
    if (slot != Game::kNobody) {
        bySlot.erase(slot);
        game.Leave(slot);
        CountSeats();
    }
}

void GameServer::CountSeats()
{
    // Searches are answered with the robots counted too, and the host itself
    // as a player, as the player's program expects.
    session.SetAnnouncedCounts(static_cast<std::uint32_t>(game.Seated()) + 1,
                               static_cast<std::uint32_t>(options.maxPlayers) + 1);
}

const char* GameServer::DropName(DropReason why)
{
    return kDropTexts[static_cast<int>(why)].metric;
}

void GameServer::Drop(platform::PlayerId id, DropReason why)
{
    const DropText& text = kDropTexts[static_cast<int>(why)];
    ++drops[static_cast<std::size_t>(why)];
    log.Line("dropping %s: %s", Describe(id).c_str(), text.log);
    const auto found = connections.find(id);
    if (text.told && found != connections.end() && found->second.Joined()) {
        NetMessage farewell;
        farewell.SetText(text.told);
        Answer(id, farewell, platform::Delivery::Reliable);
        session.DropAfterQueued(id);
    } else {
        session.Drop(id);
    }
    Leave(id);
}

void GameServer::LookAfterConnections()
{
    const std::uint64_t now = game.Now();
    std::vector<platform::PlayerId> late;
    for (const auto& [id, connection] : connections) {
        if (!connection.Joined() && now - connection.connectedAt > kJoinTimeMs)
            late.push_back(id);
        if (connection.Joined() && now - connection.keysHeardAt > kHeldKeysMs)
            game.Hold(connection.slot, HeldKeys());
    }
    for (const platform::PlayerId id : late)
        Drop(id, DropReason::NeverJoined);
}

std::string GameServer::Describe(platform::PlayerId id) const
{
    const auto found = connections.find(id);
    const std::uint32_t address = found == connections.end() ? 0 : found->second.address;
    const Player* player = found == connections.end() ? nullptr : game.Pilot(found->second.slot);
    const std::string number = "player " + std::to_string(id);
    const std::string at = " at " + DottedAddress(address);
    return player ? "\"" + std::string(player->Name()) + "\" (" + number + ")" + at : number + at;
}
