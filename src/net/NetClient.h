#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/CriticalSection.h"
#include "base/Singleton.h"
#include "net/MapTransfer.h"
#include "net/OwnShipPrediction.h"
#include "net/RoundNews.h"
#include "net/Snapshots.h"
#include "platform/SessionClient.h"
#include "world/Flag.h"
#include "world/Team.h"

class MapCache;
class MapDownload;
class MessageBatch;
class NetMessage;
class World;

// The player's one connection to a game server: it searches for hosts,
// keeps the list of those found, joins one and exchanges messages with it.
// Everything it hears is handled inside its own calls (DoWork, the
// searches, Connect), on the thread that makes them.
class NetClient : public Singleton<NetClient>, public platform::SessionClientListener {
public:
    static constexpr std::uint16_t kGamePort = 3001;
    static constexpr std::uint32_t kWorkBudget = 10; // ms of network work a frame
    // What a server may make this side hold, far above any real game (the
    // server keeps 64 players and 4,096 entities); beyond it, reports of
    // new objects are ignored.
    static constexpr std::size_t kMostShips = 256;
    static constexpr std::size_t kMostEntities = 16384;
    static constexpr std::size_t kMostTurrets = 4096;
    static constexpr std::size_t kMostHosts = 64;

    // A flag's news as heard, and where it happened: the pilot's ship when
    // there is one, else where the flag lies or went home to.
    struct FlagNews {
        FlagEvent event = FlagEvent::Placed;
        Team team = Team::None;
        Vector3 at;
    };
    static constexpr std::size_t kFlagNewsKept = 8;

    struct HostEntry {
        platform::Guid instance;
        std::string name;
        // What the list shows: the name, or the address of a host without one.
        std::string label;
        std::uint32_t maxPlayers = 0;
        std::uint32_t currentPlayers = 0;
        platform::SessionAddress address;
    };

    ~NetClient() override;

    void SetPort(std::uint16_t newPort) { port = newPort; }
    bool Initialize();
    // Borrows the world the server's messages are applied to; its owner
    // hands over null before the world goes.
    void SetWorld(World* newWorld);
    World* GetWorld() const { return world; }

    bool EnumHosts();
    bool EnumHostsAt(const char* hostName);
    // Why the last search could not be made; empty when it was.
    const std::string& SearchProblem() const { return searchProblem; }
    void ListHosts();
    void HostsBegin() { hostCursor = 0; }
    bool HostsNext(char* buffer, int size, int& maxPlayers, int& currentPlayers);
    std::size_t HostCount() const { return hosts.size(); }
    void SelectHost(const char* name);
    bool Connect();
    // The next Connect asks to watch, without a ship, instead of joining.
    void WatchOnConnect(bool watch) { watchAsked = watch; }
    // Watching without a ship, since the server said so and until it
    // gives this side a ship again.
    bool IsWatching() const { return watching; }
    // How many watch the game, as the server last said.
    int WatcherCount() const { return watcherCount; }
    // Takes the part of a connected client for a recorded game: payloads
    // come through OnReceive, and nothing is sent.
    void PlayBack();
    void Send(const NetMessage& message);
    void SendPing();
    // Handles what the server sent, for at most budgetMs.
    void DoWork(std::uint32_t budgetMs);

    bool IsConnected() const { return connected; }
    bool IsTerminated() const { return terminated; }
    bool IsRoundOver() const { return roundOver; }
    void ResetRound();
    int GetPing() const { return pingMs < 0 ? 0 : pingMs; }
    // The middle of the last few pings, doubled: the round trip the own
    // ship flies ahead by, which one late pong does not throw.
    int SteadyRoundTrip() const;
    // Until the first pong, pings go this often.
    static constexpr std::uint32_t kEarlyPingMs = 200;
    // A pong may echo any tick; the prediction never looks further back.
    static constexpr int kLongestPingMs = static_cast<int>(OwnShipPrediction::kLongestRoundTripMs / 2);
    // The own ship's flying, ahead of the reports.
    OwnShipPrediction& Prediction() { return prediction; }
    // The own ship's death and the round's clock, as heard.
    const RoundNews& News() const { return news; }
    // Hears every payload from the server as it came, before it is applied.
    using PayloadTap = std::function<void(const std::uint8_t* data, std::size_t size)>;
    void SetPayloadTap(PayloadTap tap) { payloadTap = std::move(tap); }
    // A team's score as the server last reported it; 0 before any report.
    int TeamScore(Team team) const;
    // A team's flag as the server last reported it this round; null before
    // any report, in a game without flags, and for None.
    const Flag* FlagOf(Team team) const;
    // A team's base, once its flag was reported at home this round; null
    // before (a newcomer may first hear of a flag away from it).
    const Vector3* BaseOf(Team team) const;
    // How many flag events were heard so far; the last kFlagNewsKept of
    // them are kept, numbered from 0 in the order heard.
    std::uint32_t FlagNewsHeard() const { return flagNewsHeard; }
    const FlagNews& FlagNewsAt(std::uint32_t number) const { return flagNews[number % kFlagNewsKept]; }
    // The map the server last named, whether this side has it or not.
    const std::string& MapHeard() const { return mapHeard; }
    // The map coming from the server: while it comes, and once it failed
    // (with the reason); null otherwise.
    const MapDownload* Download() const { return download.get(); }
    // Where downloaded maps are kept; by default the user's data folder.
    void SetMapFolder(const std::string& folder);
    // Whether a downloaded radar picture is one the game can draw.
    using PictureCheck = std::function<bool(const std::vector<std::uint8_t>& bytes)>;
    void SetPictureCheck(PictureCheck check);
    // How many lines a pilot of the game has said so far.
    std::uint32_t ChatLinesHeard() const { return chatLines; }

    // Applies one batch from the server to the world, message by message.
    void HandleBatch(MessageBatch& batch);

    void OnHostFound(const platform::discovery::Answer& answer, const platform::SessionAddress& from) override;
    void OnConnectComplete(platform::ConnectOutcome outcome) override;
    void OnReceive(const std::uint8_t* data, std::size_t size) override;
    void OnTerminate() override;

private:
    friend class Singleton<NetClient>;
    NetClient();
    bool Search(const char* hostName);
    // Writes one message into the world, by a handler for its kind.
    void Apply(const NetMessage& message);
    void ApplyText(const NetMessage& message);
    void ApplyJoin(const NetMessage& message);
    void ApplyMap(const NetMessage& message);
    void ApplyRoundOver(const NetMessage& message);
    void ApplyPlayerSpawn(const NetMessage& message);
    void ApplyPlayerLeft(const NetMessage& message);
    void ApplyShipKilled(const NetMessage& message);
    void ApplyKilledBy(const NetMessage& message);
    void ApplyEntityKilled(const NetMessage& message);
    void ApplyOwnShot(const NetMessage& message);
    void ApplyPing(const NetMessage& message);
    void ApplyPong(const NetMessage& message);
    void ApplyShipState(const NetMessage& message);
    void ApplyEntityState(const NetMessage& message);
    void ApplyTurretState(const NetMessage& message);
    void ApplyTileChange(const NetMessage& message);
    void ApplyRoundClock(const NetMessage& message);
    void ApplyTeam(const NetMessage& message);
    void ApplyTeamScores(const NetMessage& message);
    void ApplyFlag(const NetMessage& message);
    void ApplyFlagEvent(const NetMessage& message);
    void ApplyWatching(const NetMessage& message);
    void ApplyWatchers(const NetMessage& message);
    void ApplyMapOffer(const NetMessage& message);
    void ApplyMapPiece(const NetMessage& message);
    // The shipped map of that name, or a line saying there is none.
    void LoadNamedMap(const char* name);
    void SayNoMap(const char* name);
    // The offered map: found here and loaded, or asked for.
    void FetchMap();
    // Fuel blocks heard while the map was still coming, set on it once it is.
    void SetHeldTiles();
    // Where a flag's news happened, for its sound.
    Vector3 NewsPlace(FlagEvent event, const Flag& flag, int pilot) const;
    // A pilot's line starts with a name in the game and a colon.
    bool IsChatLine(const char* text) const;
    // Whether the world may take one more object of the kind; the first
    // refusal of each kind in a session says so on the console.
    enum Held { kShips = 1, kEntities = 2, kTurrets = 4 };
    bool Affords(Held kind, std::size_t held);

    std::unique_ptr<platform::SessionClient> session;
    bool hostSelected = false;
    HostEntry selected;
    std::uint16_t port = 3000; // until a loop sets the game port, as every loop does first
    bool connected = false;
    bool playingBack = false;
    bool watchAsked = false;
    bool watching = false;
    int watcherCount = 0;
    bool terminated = false;
    bool roundOver = false;
    int pingMs = 0;
    std::array<int, 5> recentPings {};
    std::size_t pingsHeard = 0;
    std::uint32_t lastEarlyPing = 0;
    OwnShipPrediction prediction;
    RoundNews news;
    // The ship states heard, by snapshot: the bases of the server's deltas.
    Snapshots snapshots;
    int ownShotNext = 0; // the entity the server last said the own ship fired
    int refusedKinds = 0;
    std::string searchProblem;
    std::uint32_t chatLines = 0;
    PayloadTap payloadTap;
    std::string mapHeard;
    std::optional<MapTransfer::Offer> offered;
    std::unique_ptr<MapDownload> download;
    std::map<std::pair<int, int>, std::uint8_t> heldTiles; // column and row: the last value heard
    std::unique_ptr<MapCache> maps;
    PictureCheck pictureReads;
    std::array<int, kTeams> teamScores {}; // Red's, Blue's
    std::array<std::optional<Flag>, kTeams> flags;
    std::array<bool, kTeams> basesHeard {};
    std::array<FlagNews, kFlagNewsKept> flagNews {};
    std::uint32_t flagNewsHeard = 0;
    CriticalSection hostListLock;
    CriticalSection messageLock;
    std::vector<HostEntry> hosts;
    std::size_t hostCursor = 0;
    World* world = nullptr;
};
