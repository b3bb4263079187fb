#include "net/NetClient.h"

#include <algorithm>
#include <cstring>

#include "base/Console.h"
#include "base/ScopedLock.h"
#include "base/TextCopy.h"
#include "base/TrackedBuffer.h"
#include "net/ApplicationGuid.h"
#include "net/MapCache.h"
#include "net/MapDownload.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "platform/Clock.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// Messages whose loss would break the session go reliably; the steady
// stream of controls and pings does not wait for lost packets.
// What must arrive goes reliably; pings and pongs in any order, so that
// no other payload holds one back. Controls, while the own ship flies
// ahead of the reports, are taken newest only: the server's keys then
// change when the prediction has them change.
platform::Delivery DeliveryOf(int kind, bool predicting)
{
    if (kind == kMsgJoin || kind == kMsgText || kind == kMsgMap || kind == kMsgHaltServer ||
        kind == kMsgServerCommand || kind == kMsgMapRequest)
        return platform::Delivery::Reliable;
    return kind == kMsgControl && predicting ? platform::Delivery::Latest : platform::Delivery::Any;
}

} // namespace

NetClient::NetClient()
    : session(std::make_unique<platform::SessionClient>(this)),
      maps(std::make_unique<MapCache>(MapCache::DefaultFolder()))
{
    TrackingAllocator::Instance();
}

NetClient::~NetClient()
{
    session->Close();
}

bool NetClient::Initialize()
{
    return true;
}

void NetClient::SetWorld(World* newWorld)
{
    ScopedLock lock(&messageLock);
    world = newWorld;
}

bool NetClient::Search(const char* hostName)
{
    std::string error;
    searchProblem.clear();
    if (!session->Search(ApplicationGuid(), hostName, port, error)) {
        searchProblem = "Unable to search for servers: " + error + ".";
        Console::Instance()->Print("%s", searchProblem.c_str());
        return false;
    }
    if (hostName && hostName[0] && !session->TargetAnswered())
        Console::Instance()->Print("No server answered at \"%s\".", hostName);
    return true;
}

bool NetClient::EnumHosts()
{
    return Search(nullptr);
}

bool NetClient::EnumHostsAt(const char* hostName)
{
    return Search(hostName);
}

void NetClient::OnHostFound(const platform::discovery::Answer& answer, const platform::SessionAddress& from)
{
    ScopedLock lock(&hostListLock);
    if (hosts.size() >= kMostHosts)
        return;
    for (const HostEntry& known : hosts) {
        if (known.instance == answer.instance)
            return;
    }
    const std::string label = answer.name.empty() ? platform::SessionClient::AddressText(from) : answer.name;
    hosts.push_back({answer.instance, answer.name, label, answer.maxPlayers, answer.currentPlayers, from});
}

bool NetClient::HostsNext(char* buffer, int size, int& maxPlayers, int& currentPlayers)
{
    if (!buffer || size <= 0)
        return false;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    if (hostCursor >= hosts.size())
        return false;
    const HostEntry& entry = hosts[hostCursor++];
    CopyText(buffer, size, entry.label.c_str());
    // The host counts itself among the players.
    maxPlayers = static_cast<int>(entry.maxPlayers ? entry.maxPlayers - 1 : 0);
    currentPlayers = static_cast<int>(entry.currentPlayers ? entry.currentPlayers - 1 : 0);
    return true;
}

void NetClient::ListHosts()
{
    ScopedLock lock(&hostListLock);
    if (hosts.empty()) {
        Console::Instance()->Print("No servers found...");
        return;
    }
    for (const HostEntry& entry : hosts)
        Console::Instance()->Print("Server: %s", entry.label.c_str());
}

void NetClient::SelectHost(const char* name)
{
    if (!name)
        return;
    ScopedLock lock(&hostListLock);
    if (hosts.empty()) {
        Console::Instance()->Print("No servers to select from.");
        return;
    }
    for (const HostEntry& entry : hosts) {
        // As many characters as the entry's own name has; a host without a
        // name only by its whole address, so it never captures a typed name.
        const bool matches = entry.name.empty() ? entry.label == name
                                                : std::strncmp(entry.name.c_str(), name, entry.name.size()) == 0;
        if (matches) {
            selected = entry;
            hostSelected = true;
            return;
        }
    }
    Console::Instance()->Print("Server \"%s\" not found...", name);
}

bool NetClient::Connect()
{
    refusedKinds = 0;
    pingsHeard = 0;
    offered.reset();
    download.reset();
    heldTiles.clear();
    snapshots = Snapshots();
    connected = hostSelected && session->Connect(selected.address, watchAsked);
    return connected;
}

void NetClient::PlayBack()
{
    playingBack = true;
    connected = true;
    snapshots = Snapshots();
    prediction.SetEnabled(false);
}

void NetClient::OnConnectComplete(platform::ConnectOutcome outcome)
{
    Console* console = Console::Instance();
    if (outcome != platform::ConnectOutcome::Joined) {
        console->Print(outcome == platform::ConnectOutcome::Banned
                           ? "You are banned from this server."
                           : "The server was full and rejected your request to join.");
        console->Print("Press escape to return to the main menu.");
        return;
    }
    console->Print("Registering with server...");
    connected = true;
    Ship* local = world ? world->FirstShip() : nullptr;
    char name[128] = {};
    if (local)
        local->GetName(name, sizeof name);
    NetMessage join;
    if (watchAsked)
        join.SetWatch(local ? local->GetShipType() : 0, name, PackedBatch::kReadsAll);
    else
        join.SetJoin(PackedBatch::kReadsAll, local ? local->GetShipType() : 0, name);
    Send(join);
}

void NetClient::Send(const NetMessage& message)
{
    // Controls carry the newest snapshot applied, once the server numbers
    // them: a server that does not would take the field for garbage.
    if (message.Kind() == kMsgControl && snapshots.Newest() && !message.SnapshotAck()) {
        int id = 0;
        message.GetId(id);
        NetMessage acked;
        acked.SetControl(id, message.Codes(), message.CodeCount());
        acked.SetSnapshotAck(snapshots.Newest());
        Send(acked);
        return;
    }
    const int size = message.WireSize();
    if (size <= 0 || playingBack)
        return;
    TrackedBuffer wire(static_cast<std::size_t>(size));
    if (wire.Empty())
        return;
    message.Serialize(wire.Data(), size);
    session->Send(wire.Data(), wire.Size(), DeliveryOf(message.Kind(), prediction.Enabled()));
}

void NetClient::SendPing()
{
    NetMessage ping;
    ping.SetPing(platform::TickCount());
    Send(ping);
}

int NetClient::SteadyRoundTrip() const
{
    const std::size_t heard = std::min(pingsHeard, recentPings.size());
    if (heard == 0)
        return 2 * std::min(GetPing(), kLongestPingMs);
    std::vector<int> sorted(recentPings.begin(), recentPings.begin() + static_cast<std::ptrdiff_t>(heard));
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(heard / 2), sorted.end());
    return 2 * sorted[heard / 2];
}

void NetClient::DoWork(std::uint32_t budgetMs)
{
    session->DoWork(budgetMs);
    if (download)
        download->Check(platform::TickCount());
    // The own ship flies ahead by the round trip: until one is heard it is
    // asked for often, not once a second.
    const std::uint32_t now = platform::TickCount();
    if (connected && pingsHeard == 0 && prediction.Enabled() && now - lastEarlyPing >= kEarlyPingMs) {
        lastEarlyPing = now;
        SendPing();
    }
}

void NetClient::OnReceive(const std::uint8_t* data, std::size_t size)
{
    MessageBatch batch;
    batch.ParsePacked(data, size);
    // A demo goes without the pieces of a map: played back, it finds the
    // map kept, and a big map's pieces would crowd out the kept demos.
    const NetMessage* first = batch.Begin();
    if (payloadTap && !(batch.Count() == 1 && first->Kind() == kMsgMapPiece))
        payloadTap(data, size);
    ScopedLock lock(&messageLock);
    batch.UseSnapshots(&snapshots);
    HandleBatch(batch);
}

void NetClient::OnTerminate()
{
    Console* console = Console::Instance();
    console->Print("The server has terminated your connection.  Sorry.");
    console->Print("Press escape to return to the main menu.");
    terminated = true;
}

void NetClient::ResetRound()
{
    roundOver = false;
    prediction.Reset();
    news.NewRound();
    // Sides outlast the round: the server sends them only to those who
    // change one, and team 0 to each when a game without teams follows.
    teamScores = {};
    flags = {};
    basesHeard = {};
    heldTiles.clear();
    if (world)
        world->ResetRound();
}

const Flag* NetClient::FlagOf(Team team) const
{
    if (team == Team::None)
        return nullptr;
    const std::optional<Flag>& flag = flags[TeamIndex(team)];
    return flag ? &*flag : nullptr;
}

const Vector3* NetClient::BaseOf(Team team) const
{
    const Flag* flag = FlagOf(team);
    return flag && basesHeard[TeamIndex(team)] ? &flag->home : nullptr;
}

int NetClient::TeamScore(Team team) const
{
    return team == Team::None ? 0 : teamScores[TeamIndex(team)];
}
