#include "server/engine/GameServer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <thread>

#include "net/ApplicationGuid.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "server/engine/DottedAddress.h"
#include "server/engine/ServerLog.h"
#include "server/game/Game.h"
#include "server/game/PlayerText.h"

namespace {

// Each wait for the next tick handles what arrived for at most this long.
constexpr std::uint32_t kWorkBudgetMs = 4;
// Further behind than this, the clock gives up catching up.
constexpr std::chrono::milliseconds kMostBehind(250);
// The masters are given this long in all to hear that the server ends.
constexpr std::chrono::milliseconds kUnregisterWait(2000);
// Console lines run in one turn of the loop, so that a flood of input
// cannot hold up the ticks; the rest wait for the next turn.
constexpr int kConsoleLinesPerTurn = 16;

std::string SignalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}

// A payload that starts a map: its offer goes just before it.
bool HoldsMap(const std::vector<std::uint8_t>& payload)
{
    NetMessage message;
    for (std::size_t at = 0; at < payload.size();) {
        const std::size_t took = PackedBatch::Read(payload.data() + at, payload.size() - at, message);
        if (!took)
            return false;
        if (message.Kind() == kMsgMap)
            return true;
        at += took;
    }
    return false;
}

} // namespace

GameServer::GameServer(const ServerOptions& options, const std::string& dataDir, ServerLog& log)
    : options(options), log(log), game(std::make_unique<Game>(options, dataDir, log)), admission(this->options, log),
      commands({this->options, log, *game, connections, admission,
                [this](platform::PlayerId id, DropReason why) { Drop(id, why); }, [this] { halted = true; },
                [this] { return StatusFigures(); }}),
      watchers({this->options.spectatorSlots, this->options.maxPlayers, log, *game, connections,
                [this](platform::PlayerId id, bool flying) { Moved(id, flying); }}),
      lookout(this->options, log, [this] { return MetricsText(); }), registrar(this->options.masters),
      session(this), uploads(dataDir, [this](int slot, const std::string& line) { NoteUpload(slot, line); })
{
    if (!options.recordDir.empty())
        recorder = std::make_unique<RoundRecorder>(options.recordDir, dataDir, options.name, log);
    for (CommandRegistry::Command& command : watchers.Commands())
        commands.Add(std::move(command));
    // One name reaches one person: robots and pilots coming later are not
    // named as a watcher is.
    game->KeepNamesOf([this](const std::string& name) { return watchers.HasName(name); });
}

GameServer::~GameServer() = default;

bool GameServer::Start(std::string& error)
{
    // Watchers come on top of the seats: a full game still takes them.
    if (!session.Host(ApplicationGuid(), options.name,
                      static_cast<std::uint32_t>(options.maxPlayers + options.spectatorSlots), options.port, error))
        return false;
    if (!admission.Load(error) || !game->Start(error) || !StartRecording(error) ||
        !lookout.Start(game->Now(), error)) {
        session.End();
        return false;
    }
    std::string maps;
    for (const std::string& name : game->Maps())
        maps += (maps.empty() ? "" : ", ") + name;
    log.Always("hosting \"%s\" on UDP port %u for %d players; mode %s; maps: %s", options.name.c_str(),
               options.port, options.maxPlayers, game->Look().mode.c_str(), maps.c_str());
    game->FillSeats();
    CountSeats();
    for (const std::string& master : options.masters)
        log.Always("registering with the master at %s", master.c_str());
    Register();
    return true;
}

bool GameServer::StartUnhosted(std::string& error)
{
    if (!admission.Load(error) || !game->Start(error) || !StartRecording(error))
        return false;
    game->FillSeats();
    return true;
}

bool GameServer::StartRecording(std::string& error)
{
    if (!recorder)
        return true;
    if (!recorder->Prepare(error))
        return false;
    recorderSlot = game->Watch();
    if (recorderSlot == HostedGame::kNobody) {
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
    long long ticked = 0;
    auto lastTick = Clock::now();
    auto statusAt = lastTick;
    while (stop == 0 && !halted) {
        session.DoWork(kWorkBudgetMs);
        ReadConsole();
        lookout.Look(game->Now());
        Register();
        const auto now = Clock::now();
        if (now < next) {
            std::this_thread::sleep_for(std::min<Clock::duration>(next - now, std::chrono::milliseconds(1)));
            continue;
        }
        // Whole milliseconds a tick, adding up exactly to the rate.
        const long long elapsed = std::llround((ticked + 1) * 1000.0 / options.tickRate);
        const int ms = static_cast<int>(elapsed - std::llround(ticked * 1000.0 / options.tickRate));
        if (ticked > 0) {
            const auto gap = std::chrono::duration_cast<std::chrono::microseconds>(now - lastTick).count();
            ticks.Waited(game->Now(), gap);
        }
        lastTick = now;
        ++ticked;
        Tick(ms);
        if (now - statusAt >= kStatusInterval) {
            statusAt = now;
            log.Always("status: %s, %s playing; the longest tick of the last %lld minutes %.1f ms",
                       Counted(static_cast<long long>(connections.Count()), "connection", "connections").c_str(),
                       Counted(game->Look().people, "person", "people").c_str(),
                       static_cast<long long>(std::chrono::duration_cast<std::chrono::minutes>(kStatusInterval).count()),
                       static_cast<double>(ticks.TakePeriodWorst()) / 1000.0);
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
    // The round and its map as the tick leaves them, asked for once.
    std::string mapNow;
    std::uint32_t roundNow = 0;
    game->Tick(ms, [this, &mapNow, &roundNow](int slot, const std::vector<std::uint8_t>& payload, bool reliable) {
        if (reliable && HoldsMap(payload))
            OfferMap(slot, mapNow, roundNow);
        Send(slot, payload, reliable);
    });
    uploads.Pump([this](int slot, const std::vector<std::uint8_t>& piece) { Send(slot, piece, true); },
                 [this](int slot) { return QueuedTo(slot); });
    if (options.oneMatch && game->Look().finished) {
        if (!halted)
            log.Always("the match is over: the server stops, as --one-match asks");
        halted = true;
        return;
    }
    session.Flush();
    for (const auto& [id, connection] : connections.All()) {
        if (!connection.Joined())
            continue;
        game->Charge(connection.slot, 0, session.TakeResent(id));
        const platform::SessionServer::Link link = session.LinkOf(id);
        const std::size_t backlog = uploads.GameBacklog(connection.slot, session.ReliableBytesQueued(id));
        game->Link(connection.slot, {link.roundTripMs, link.loss, link.throttle, backlog, connection.reads});
    }
    LookAfterConnections();
    CountSeats();
    openConnections = connections.Count();
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    ticks.Took(game->Now(), took.count());
}

void GameServer::Send(int slot, const std::vector<std::uint8_t>& payload, bool reliable)
{
    if (slot == recorderSlot) {
        const HostedGame::Glance glance = game->Look();
        recorder->Take({glance.round, glance.map, game->Now(), glance.people > 0}, payload);
        return;
    }
    platform::PlayerId id = 0;
    if (connections.AtSlot(slot, id))
        session.QueueTo(id, payload.data(), payload.size(),
                        reliable ? platform::Delivery::Reliable : platform::Delivery::Latest);
}

void GameServer::NoteUpload(int slot, const std::string& line)
{
    platform::PlayerId id = 0;
    if (slot < 0)
        log.Always("%s", line.c_str());
    else if (connections.AtSlot(slot, id))
        log.Always("%s %s", connections.Describe(id).c_str(), line.c_str());
}

std::size_t GameServer::QueuedTo(int slot) const
{
    platform::PlayerId id = 0;
    return connections.AtSlot(slot, id) ? session.ReliableBytesQueued(id) : 0;
}

void GameServer::OfferMap(int slot, std::string& mapNow, std::uint32_t& roundNow)
{
    // A round's demo holds the offer too: played back, it finds a
    // downloaded map by its hash.
    platform::PlayerId id = 0;
    if (slot != recorderSlot && !connections.AtSlot(slot, id))
        return;
    if (mapNow.empty()) {
        const HostedGame::Glance glance = game->Look();
        mapNow = glance.map;
        roundNow = glance.round;
    }
    const std::vector<std::uint8_t> offer = uploads.OfferFor(slot, mapNow, roundNow);
    if (!offer.empty())
        Send(slot, offer, true);
}

std::vector<std::string> GameServer::StatusFigures()
{
    std::vector<std::string> lines = watchers.StatusLines();
    if (recorder)
        lines.push_back(recorder->Path().empty() ? "recording rounds with a person into " + options.recordDir
                                                 : "recording this round into " + recorder->Path());
    for (std::string& line : ticks.TakeStatusLines())
        lines.push_back(std::move(line));
    return lines;
}

void GameServer::Operate(const std::string& line)
{
    // Answers go on the log, stamped like its events, so that a log read
    // later shows what the operator did among what it caused.
    commands.Registry().RunLine(line, Asker::Operator, "the operator",
                                [this](const std::string& answer) { log.Always("%s", answer.c_str()); });
    // A command may have seated or unseated robots: searches hear of it now.
    CountSeats();
}

void GameServer::ReadConsole()
{
    std::string line;
    for (int i = 0; i < kConsoleLinesPerTurn; ++i) {
        const platform::LineReader::Got got = console.Next(line);
        if (got == platform::LineReader::Got::Nothing)
            return;
        if (got == platform::LineReader::Got::TooLong)
            log.Always("A console line longer than %zu bytes is refused.", platform::LineReader::kLongestLine);
        else
            Operate(line);
    }
}

void GameServer::End()
{
    log.Always("ending the session; the longest tick took %.1f ms, the longest wait between ticks %.1f ms",
               static_cast<double>(ticks.WorstTick()) / 1000.0, static_cast<double>(ticks.WorstGap()) / 1000.0);
    session.End();
    if (recorder)
        recorder->Close();
    lookout.End();
    if (registrar.Active()) {
        registrar.End(kUnregisterWait);
        LogRegistration();
    }
}

void GameServer::Register()
{
    // What the masters' threads have to say waits for the next look, at
    // most a second: the loop takes no lock more often than that.
    if (!registrar.Due(game->Now()))
        return;
    registrar.Describe(Listing(), game->Now());
    LogRegistration();
}

ServerListing GameServer::Listing() const
{
    const HostedGame::Glance glance = game->Look();
    ServerListing listing;
    listing.name = options.name;
    listing.port = options.port;
    listing.map = glance.map;
    listing.mode = glance.mode;
    listing.seats = options.maxPlayers;
    platform::PlayerId id = 0;
    for (const HostedGame::Seat& seat : game->Seats())
        listing.players.push_back({seat.name, seat.score, !connections.AtSlot(seat.slot, id)});
    return listing;
}

void GameServer::LogRegistration()
{
    for (const std::string& line : registrar.TakeLogLines())
        log.Always("%s", line.c_str());
}

bool GameServer::TakeDatagram(std::uint32_t address, std::uint16_t, const std::uint8_t* data, std::size_t size)
{
    return registrar.Offer(address, data, size);
}

void GameServer::Reset()
{
    while (!connections.Empty()) {
        const platform::PlayerId id = connections.All().begin()->first;
        session.Drop(id);
        Leave(id);
    }
    halted = false;
    game->Restart();
    // The restart let every watcher go: the recording watches anew.
    if (recorder) {
        recorder->Close();
        recorderSlot = game->Watch();
    }
}

// Each kind within its own places: connects that come to watch and never
// say so would otherwise hold the seats of pilots, and the other way round.
bool GameServer::HasRoom(std::uint32_t address, bool watching)
{
    const auto alike = std::ranges::count_if(
        connections.All(), [watching](const auto& entry) { return entry.second.watching == watching; });
    if (alike < (watching ? options.spectatorSlots : options.maxPlayers))
        return true;
    // The log's own rate holds a flood of these to a few lines.
    log.Line("refusing %s: %s", DottedAddress(address).c_str(),
             watching ? "every place to watch is taken" : "every seat is taken");
    return false;
}

void GameServer::OnPlayerJoined(platform::PlayerId id, bool watching)
{
    OnPlayerJoinedFrom(id, session.AddressOf(id), watching);
}

void GameServer::OnPlayerJoinedFrom(platform::PlayerId id, std::uint32_t address, bool watching)
{
    connections.Open(id, address, game->Now()).watching = watching;
    if (connections.WaitingFrom(address) > kWaitingPerAddress) {
        Drop(id, DropReason::Crowding);
        return;
    }
    log.Line("%s connected", connections.Describe(id).c_str());
}

void GameServer::OnPlayerLeft(platform::PlayerId id)
{
    const Connection* connection = connections.Find(id);
    if (connection && !connection->Joined())
        log.Line("%s disconnected", connections.Describe(id).c_str());
    else if (connection && connection->watching)
        log.Line("%s left and watches no more", connections.Describe(id).c_str());
    Leave(id);
}

void GameServer::Leave(platform::PlayerId id)
{
    const Connection* connection = connections.Find(id);
    if (!connection)
        return;
    if (connection->Joined() && !connection->watching)
        lookout.PlayerDisconnected(AgonesPlayer(id));
    if (connection->Joined() && connection->watching)
        watchers.Left();
    uploads.Forget(connection->slot);
    const int slot = connections.Close(id);
    if (slot != HostedGame::kNobody) {
        game->Leave(slot);
        CountSeats();
    }
}

void GameServer::CountSeats()
{
    // Searches are answered with the robots counted too, and the host itself
    // as a player, as the player's program expects.
    const HostedGame::Glance glance = game->Look();
    session.SetAnnouncedCounts(static_cast<std::uint32_t>(glance.people + glance.robots) + 1,
                               static_cast<std::uint32_t>(options.maxPlayers) + 1);
}

void GameServer::Drop(platform::PlayerId id, DropReason why)
{
    const DropText& text = TextOf(why);
    ++drops[static_cast<std::size_t>(why)];
    log.Line("dropping %s: %s", connections.Describe(id).c_str(), text.log);
    const Connection* connection = connections.Find(id);
    // A player in the game hears why it goes; so does one refused a seat
    // or a place to watch, which asked for it.
    const bool refused = why == DropReason::Full || why == DropReason::NoPlaceToWatch;
    if (text.told && connection && (connection->Joined() || refused)) {
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
    const std::uint64_t now = game->Now();
    std::vector<platform::PlayerId> late;
    for (const auto& [id, connection] : connections.All()) {
        if (!connection.Joined() && now - connection.connectedAt > kJoinTimeMs)
            late.push_back(id);
        if (connection.Joined() && now - connection.keysHeardAt > kHeldKeysMs)
            game->Hold(connection.slot, HeldKeys());
    }
    for (const platform::PlayerId id : late)
        Drop(id, DropReason::NeverJoined);
    admission.CountUnproven(session.Counted().unprovenConnects, now);
}

std::string GameServer::AgonesPlayer(platform::PlayerId id) const
{
    const Connection* connection = connections.Find(id);
    // By the name it joined with, seated or between seats, so that the
    // sidecar hears of one player by one name.
    return std::to_string(id) + (connection && !connection->name.empty() ? " " + connection->name : "");
}
