#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/HttpService.h"
#include "platform/LineReader.h"
#include "platform/SessionServer.h"
#include "server/engine/AdminLogins.h"
#include "server/engine/AgonesSdk.h"
#include "server/engine/BanList.h"
#include "server/engine/CommandRegistry.h"
#include "server/game/Game.h"
#include "server/engine/RoundRecorder.h"
#include "server/engine/ServerOptions.h"
#include "server/engine/TickTimes.h"

class NetMessage;
class ServerLog;

// The game server: hosts the session, takes players in and out, reads what
// they send (held keys, chat, commands) trusting nothing, hands it to the
// game, ticks the game at a fixed rate and sends each player its payloads.
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
    // Chat, and commands typed after /server: a few lines at once, then
    // one every kChatIntervalMs.
    static constexpr double kChatBurst = 4.0;
    static constexpr std::uint32_t kChatIntervalMs = 1000;
    // How often the log says how the server is doing.
    static constexpr std::chrono::minutes kStatusInterval{5};

    // Why a connection was let go, as the log and the metrics name it.
    enum class DropReason { Crowding, NeverJoined, Flood, Garbage, Full, Kicked, Banned };
    static constexpr int kDropReasons = 7;

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
    // on its first map with the robots of the start (Game::Restart): one
    // more run for a caller feeding the server by hand, without building
    // the game again.
    void Reset();
    bool HaltRequested() const { return halted; }
    // Since the last reset: the longest tick, and the longest wait from one
    // tick to the next in Run (all that was received in between included).
    // With the connections open after the last tick, for watching the server
    // from another thread.
    std::int64_t WorstTickMicros() const { return worstTickMicros; }
    std::int64_t WorstTickGapMicros() const { return worstGapMicros; }
    void ResetWorstTick()
    {
        worstTickMicros = 0;
        worstGapMicros = 0;
    }
    std::size_t ConnectionCount() const { return openConnections; }
    // The operator's commands are read from this descriptor while Run
    // goes on, and answered on the log (GameServerCommands.cpp).
    void ListenToConsole(int fd) { console = platform::LineReader(fd); }
    // One line as the operator typed it.
    void Operate(const std::string& line);
    // The operator's commands with their help lines, as /help lists them.
    static std::string CommandHelp();
    // The figures of the metrics page, in Prometheus' text format
    // (GameServerMetrics.cpp).
    std::string MetricsText() const;
    static const char* DropName(DropReason why);

    // A banned address is refused before it is taken in.
    bool Admits(std::uint32_t address) override;
    void OnPlayerJoined(platform::PlayerId id) override;
    // A player connected from an IPv4 address (host order): what the session
    // tells, or what a caller feeding the server by hand says.
    void OnPlayerJoinedFrom(platform::PlayerId id, std::uint32_t address);
    void OnPlayerLeft(platform::PlayerId id) override;
    void OnReceive(platform::PlayerId id, const std::uint8_t* data, std::size_t size) override;

private:
    // Lines a player may send now: a burst, then a steady rate.
    struct Allowance {
        double left = kChatBurst;
        std::uint64_t at = 0;
        bool told = false; // that it waits; once until it may go on

        // Whether one more line may go now.
        bool Take(std::uint64_t now);
    };

    struct Connection {
        std::uint32_t address = 0;
        std::uint64_t connectedAt = 0;
        int slot = Game::kNobody; // its player's, once it joined
        std::uint64_t keysHeardAt = 0;
        Allowance chat;
        Allowance commands;
        bool admin = false; // logged in
        std::uint64_t countingSince = 0;
        int payloads = 0;

        bool Joined() const { return slot != Game::kNobody; }
    };

    // Received messages (GameServerMessages.cpp).
    void Handle(platform::PlayerId id, Connection& connection, const NetMessage& message);
    void Join(platform::PlayerId id, Connection& connection, const NetMessage& message);
    // Whether one more line may go now; the first one too many has the
    // player told to slow down.
    bool Paced(const Connection& connection, Allowance& allowance, const char* slowDown);
    void Chat(Connection& connection, const NetMessage& message);
    void RequestMap(platform::PlayerId id, Connection& connection, const NetMessage& message);
    void RequestHalt(platform::PlayerId id, Connection& connection);
    void ServerCommand(platform::PlayerId id, Connection& connection, const NetMessage& message);
    // What a player may run: as an admin once logged in, or from this
    // machine while it is trusted.
    Asker AskerOf(const Connection& connection) const;
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
    // With --one-match, once the standings of the round that began with
    // the first person have been shown: the server halts instead of
    // playing the next.
    bool MatchIsOver(int ms);
    // With --record, a watcher of its own takes every round down.
    bool StartRecording(std::string& error);
    // The admin password and the bans, as the options name them.
    bool LoadAdmission(std::string& error);
    // Reads the ban file again; false, with the reason, when it cannot be.
    // Each line skipped is logged when told is set.
    bool ReadBans(bool told, std::string& error);
    // The bans as they stand into the ban file, when there is one; false,
    // with the reason, when it cannot be written.
    bool WriteBans(std::string& error);
    // How the log names a connection: its player's name, number and address.
    std::string Describe(platform::PlayerId id) const;
    static bool IsLocal(std::uint32_t address) { return address >> 24 == 127; }
    friend class GameServerCommands;
    void AddCommands();
    void ReadConsole();
    // With --metrics and --agones: the page opened, and the sidecar told
    // the server is ready; false, with the reason, when either cannot be.
    bool StartOutside(std::string& error);
    // Each turn of the loop: the page answered, the sidecar kept informed.
    void LookOutside();
    // The sidecar told the server ends, and given a moment to hear it.
    void TellOutsideTheEnd();
    // How the sidecar's list of players names a joined connection.
    std::string AgonesPlayer(platform::PlayerId id) const;

    ServerOptions options;
    ServerLog& log;
    Game game;
    std::map<platform::PlayerId, Connection> connections;
    std::map<int, platform::PlayerId> bySlot;
    bool halted = false;
    bool matchBegun = false; // with --one-match, once a person came
    std::atomic<std::int64_t> worstTickMicros {0};
    std::atomic<std::int64_t> worstGapMicros {0};
    std::atomic<std::size_t> openConnections {0};
    std::int64_t periodWorstMicros = 0;
    platform::SessionServer session;
    CommandRegistry commands;
    AdminLogins logins;
    BanList bans;
    bool bansKept = true; // the ban file holds them: a failed write leaves the newer here
    long long bansRefused = 0;
    std::array<long long, kDropReasons> drops {};
    std::unique_ptr<RoundRecorder> recorder;
    std::unique_ptr<platform::HttpService> metrics;
    std::string page; // the metrics as last made
    std::uint64_t pageAt = 0;
    std::unique_ptr<AgonesSdk> agones;
    std::uint64_t healthAt = 0;
    TickTimes tickTimes;
    TickTimes tickGaps; // from the start of one tick to the next
    std::uint64_t ticksDone = 0;
    int recorderSlot = Game::kNobody;
    platform::LineReader console {-1};
    // Since the operator last asked for the status.
    std::int64_t statusWorstTickMicros = 0;
    std::int64_t statusWorstGapMicros = 0;
};
