#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/LineReader.h"
#include "platform/SessionServer.h"
#include "server/engine/Admission.h"
#include "server/engine/Connections.h"
#include "server/engine/DropReason.h"
#include "server/engine/Lookout.h"
#include "server/engine/MapUploads.h"
#include "server/engine/Registrar.h"
#include "server/engine/RoundRecorder.h"
#include "server/engine/ServerCommands.h"
#include "server/engine/ServerOptions.h"
#include "server/engine/TickFigures.h"
#include "server/engine/Watchers.h"
#include "server/game/HostedGame.h"

class NetMessage;
class ServerLog;

// The game server: hosts the session, takes players in and out, reads what
// they send (held keys, chat, commands) trusting nothing, hands it to the
// game, ticks the game at a fixed rate and sends each player its payloads.
// The parts it is made of each keep one concern: who is connected, who is
// let in, the commands, how others watch, the recording.
class GameServer : public platform::SessionServerListener {
public:
    // A player who has not joined by then is let go.
    static constexpr std::uint32_t kJoinTimeMs = 10000;
    // Connections from one address that may wait to join at once, so that
    // one machine cannot hold the seats by connecting without joining.
    // The session lets no more than as many from one address be under way.
    static constexpr int kWaitingPerAddress = platform::SessionServer::kHandshakesPerAddress;
    // No player's program sends more: a bigger payload is garbage.
    static constexpr std::size_t kLargestMessage = 2048;
    // Payloads a second a player may send (a fast frame rate's controls);
    // more is a flood, and the player is dropped.
    static constexpr int kMostPayloadsPerSecond = 5000;
    // Keys last heard longer ago than this are let go: a player whose
    // program stalls does not fly on with its last keys held.
    static constexpr std::uint32_t kHeldKeysMs = 500;
    // How often the log says how the server is doing.
    static constexpr std::chrono::minutes kStatusInterval{5};

    GameServer(const ServerOptions& options, const std::string& dataDir, ServerLog& log);
    ~GameServer() override;

    // Loads the first map and opens the session; false with the reason.
    bool Start(std::string& error);
    // Loads the first map without opening the session: payloads are then
    // handed to OnReceive by the caller, no network involved.
    bool StartUnhosted(std::string& error);
    // Ticks at the options' rate until stop holds the number of the signal
    // that ends it, or a local player halts the server; then ends the
    // session for everyone.
    void Run(const std::atomic<int>& stop);
    // One tick of the game, each player sent its payloads; then the
    // connections are looked after by the game's clock.
    void Tick(int ms);
    void End();
    // Lets every connection go without a word and plays on from a new round
    // on its first map with the robots of the start (HostedGame::Restart):
    // one more run for a caller feeding the server by hand, without building
    // the game again.
    void Reset();
    bool HaltRequested() const { return halted; }
    // Since the last reset: the longest tick, and the longest wait from one
    // tick to the next in Run (all that was received in between included).
    // With the connections open after the last tick, for watching the server
    // from another thread.
    std::int64_t WorstTickMicros() const { return ticks.WorstTick(); }
    std::int64_t WorstTickGapMicros() const { return ticks.WorstGap(); }
    void ResetWorstTick() { ticks.ResetWorst(); }
    std::size_t ConnectionCount() const { return openConnections; }
    // The operator's commands are read from this descriptor while Run
    // goes on, and answered on the log.
    void ListenToConsole(int fd) { console = platform::LineReader(fd); }
    // One line as the operator typed it.
    void Operate(const std::string& line);
    // The operator's commands with their help lines, as /help lists them.
    static std::string CommandHelp() { return ServerCommands::Help(); }
    // The figures of the metrics page, in Prometheus' text format
    // (GameServerMetrics.cpp).
    std::string MetricsText() const;

    bool Admits(std::uint32_t address) override { return admission.Admits(address); }
    // A pilot's connect is refused while the pilots fill the seats, as
    // before anyone watched; a watcher's is taken, to be told if no place
    // to watch is left.
    bool HasRoom(std::uint32_t address, bool watching) override;
    void OnPlayerJoined(platform::PlayerId id, bool watching) override;
    // A player connected from an IPv4 address (host order), to fly or to
    // watch: what the session tells, or what a caller feeding the server by
    // hand says.
    void OnPlayerJoinedFrom(platform::PlayerId id, std::uint32_t address, bool watching = false);
    void OnPlayerLeft(platform::PlayerId id) override;
    void OnReceive(platform::PlayerId id, const std::uint8_t* data, std::size_t size) override;
    bool TakeDatagram(std::uint32_t address, std::uint16_t port, const std::uint8_t* data, std::size_t size) override;

private:
    // Received messages (GameServerMessages.cpp).
    void Handle(platform::PlayerId id, Connection& connection, const NetMessage& message);
    void Join(platform::PlayerId id, const NetMessage& message);
    // A player who asked to watch instead of joining.
    void Watch(platform::PlayerId id, const NetMessage& message);
    // A player took a seat or gave one up for watching: the sidecar and the
    // searches hear of it; one that found no place goes.
    void Moved(platform::PlayerId id, bool flying);
    // Whether one more line may go now; the first one too many has the
    // player told to slow down.
    bool Paced(const Connection& connection, Allowance& allowance, const char* slowDown);
    void Chat(Connection& connection, const NetMessage& message);
    void RequestMap(platform::PlayerId id, Connection& connection, const NetMessage& message);
    void RequestHalt(platform::PlayerId id, Connection& connection);
    void ServerCommand(platform::PlayerId id, Connection& connection, const NetMessage& message);
    // One message to the player at once, in a datagram of its own.
    void Answer(platform::PlayerId id, const NetMessage& message, platform::Delivery delivery);
    CommandRegistry::Outcome Ask(platform::PlayerId id, const Connection& connection, const char* command,
                                 const std::string& arguments);
    // Answers to the player's console, in the marks its font draws.
    CommandRegistry::Reply TellerOf(const Connection& connection);

    void Leave(platform::PlayerId id);
    // Searches are answered with the seats the game has taken.
    void CountSeats();
    void Drop(platform::PlayerId id, DropReason why);
    // Lets go of stale keys and of connections that never joined.
    void LookAfterConnections();
    // The payloads of a tick, to each player or the recording.
    void Send(int slot, const std::vector<std::uint8_t>& payload, bool reliable);
    // A player who has not heard of the round's map is offered it first.
    void OfferMap(int slot, std::string& mapNow, std::uint32_t& roundNow);
    // A download's news, on the log with the player it is for.
    void NoteUpload(int slot, const std::string& line);
    // Reliable bytes queued to the player's connection, unacknowledged.
    std::size_t QueuedTo(int slot) const;
    void RequestMapFile(platform::PlayerId id, Connection& connection, const NetMessage& message);
    // With --record, a watcher of its own takes every round down.
    bool StartRecording(std::string& error);
    void ReadConsole();
    // The status's last lines: the recording and the ticks since it was
    // last asked for.
    std::vector<std::string> StatusFigures();
    // The masters told how the game stands, when it is time to.
    void Register();
    ServerListing Listing() const;
    void LogRegistration();
    // How the sidecar's list of players names a joined connection.
    std::string AgonesPlayer(platform::PlayerId id) const;

    ServerOptions options;
    ServerLog& log;
    std::unique_ptr<HostedGame> game;
    Connections connections;
    Admission admission;
    ServerCommands commands;
    Watchers watchers;
    Lookout lookout;
    Registrar registrar;
    platform::SessionServer session;
    std::unique_ptr<RoundRecorder> recorder;
    int recorderSlot = HostedGame::kNobody;
    platform::LineReader console {-1};
    bool halted = false;
    std::array<long long, kDropReasons> drops {};
    std::atomic<std::size_t> openConnections {0};
    TickFigures ticks;
    MapUploads uploads;
};
