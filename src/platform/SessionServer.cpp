#include "platform/SessionServer.h"

#include <cstring>
#include <map>
#include <unordered_map>
#include <vector>

#include "platform/Clock.h"
#include "platform/ConnectCookie.h"
#include "platform/EnetHost.h"

namespace platform {

namespace {
constexpr enet_uint8 kAccepted[] = {'Q', 'R', 'O', 'K'};
constexpr std::size_t kSpareSlots = 8;   // room to turn the surplus away politely
constexpr std::uint32_t kFarewellTime = 200;
// A dropped player's last word gets this long; a peer that will not take
// it (or fakes its acknowledgements) loses its slot then.
constexpr std::uint32_t kLastWordTime = 2000;
// No payload of a game comes near this; a peer cannot make the host hold more.
constexpr std::size_t kLargestPayload = 1 << 20;
constexpr std::size_t kLargestWaiting = 64 * 1024;
// Searches answered per source address: a burst, then a few a second. The
// table forgets everyone when it fills, which only ever lets more through.
constexpr double kSearchBurst = 16.0;
constexpr double kSearchesPerSecond = 8.0;
constexpr std::size_t kSearchersRemembered = 1024;

struct SearchAllowance {
    double left = kSearchBurst;
    std::uint32_t at = 0;
};

// Where the connect command of a datagram that asks to begin a connection
// starts: addressed to no peer yet, its first command a connect; nothing
// for any other datagram.
std::optional<std::size_t> ConnectAt(const enet_uint8* data, std::size_t size)
{
    enet_uint16 word = 0;
    if (size < sizeof word)
        return std::nullopt;
    std::memcpy(&word, data, sizeof word);
    const enet_uint16 header = ENET_NET_TO_HOST_16(word);
    const std::size_t commandAt = (header & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) ? 4 : 2;
    const int peer = header & ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK);
    if (peer != ENET_PROTOCOL_MAXIMUM_PEER_ID || size <= commandAt ||
        (data[commandAt] & ENET_PROTOCOL_COMMAND_MASK) != ENET_PROTOCOL_COMMAND_CONNECT)
        return std::nullopt;
    return commandAt;
}

// The data word a connect carries, its cookie; nothing for a connect too
// short to carry one.
std::optional<enet_uint32> ConnectData(const enet_uint8* data, std::size_t size, std::size_t commandAt)
{
    const std::size_t at = commandAt + offsetof(ENetProtocolConnect, data);
    enet_uint32 cookie = 0;
    if (size < at + sizeof cookie)
        return std::nullopt;
    std::memcpy(&cookie, data + at, sizeof cookie);
    return ENET_NET_TO_HOST_32(cookie);
}

bool UnderWay(const ENetPeer& peer)
{
    return peer.state >= ENET_PEER_STATE_CONNECTING && peer.state <= ENET_PEER_STATE_CONNECTION_SUCCEEDED;
}
} // namespace

struct SessionServer::State {
    SessionServerListener* listener = nullptr;
    ENetHost* host = nullptr;
    Guid application;
    Guid instance = Guid::Random();
    std::string name;
    std::uint32_t maxPlayers = 0;
    bool announcedSet = false;
    std::uint32_t announcedCurrent = 0;
    std::uint32_t announcedMax = 0;
    PlayerId nextId = 1;
    std::map<PlayerId, ENetPeer*> players;
    std::map<PlayerId, enet_uint32> lostSeen; // each player's resends, as last asked
    std::unordered_map<std::uint32_t, SearchAllowance> searchers;
    ConnectCookie cookie;
    SessionServer::Traffic traffic;

    // Peers given a last word, as they were then: a slot that parted and
    // was taken again has another connect id.
    struct Parting {
        ENetPeer* peer;
        enet_uint32 connectId;
        std::uint32_t since;
    };
    std::vector<Parting> parting;

    void EndLateParting()
    {
        const std::uint32_t now = TickCount();
        std::erase_if(parting, [now](const Parting& p) {
            if (p.peer->connectID != p.connectId || p.peer->state == ENET_PEER_STATE_DISCONNECTED)
                return true;
            if (now - p.since < kLastWordTime)
                return false;
            enet_peer_reset(p.peer);
            return true;
        });
    }

    // ENet counts bytes in 32 bits: they are moved into ours before they
    // can wrap.
    void Gather()
    {
        if (!host)
            return;
        traffic.bytesIn += host->totalReceivedData;
        traffic.bytesOut += host->totalSentData;
        host->totalReceivedData = 0;
        host->totalSentData = 0;
    }

    bool MayAnswer(std::uint32_t address)
    {
        if (searchers.size() >= kSearchersRemembered && !searchers.count(address))
            searchers.clear();
        const std::uint32_t now = TickCount();
        SearchAllowance& allowance = searchers.try_emplace(address, SearchAllowance{kSearchBurst, now}).first->second;
        allowance.left += (now - allowance.at) * kSearchesPerSecond / 1000.0;
        if (allowance.left > kSearchBurst)
            allowance.left = kSearchBurst;
        allowance.at = now;
        if (allowance.left < 1.0)
            return false;
        allowance.left -= 1.0;
        return true;
    }

    bool Answer(ENetHost* h)
    {
        const auto search = discovery::DecodeSearch(h->receivedData, h->receivedDataLength);
        if (!search)
            return discovery::DecodeAnswer(h->receivedData, h->receivedDataLength).has_value();
        if (!(search->application == application) || !MayAnswer(h->receivedAddress.host))
            return true;
        discovery::Answer answer;
        answer.application = application;
        answer.instance = instance;
        answer.nonce = search->nonce;
        answer.name = name;
        answer.currentPlayers = announcedSet ? announcedCurrent : static_cast<std::uint32_t>(players.size()) + 1;
        answer.maxPlayers = announcedSet ? announcedMax : maxPlayers + 1;
        const auto bytes = discovery::EncodeAnswer(answer);
        // Padding and the name's cap already see to it; said once more here.
        if (bytes.size() <= h->receivedDataLength)
            SendDatagram(h, h->receivedAddress, bytes.data(), bytes.size());
        return true;
    }

    // A cookie request is answered with half the bytes it came with: a
    // forged one sends its victim less than the forger spent.
    bool AnswerCookie(ENetHost* h)
    {
        if (!ConnectCookie::IsRequest(h->receivedData, h->receivedDataLength))
            return false;
        const ENetAddress& from = h->receivedAddress;
        const auto bytes = ConnectCookie::EncodeAnswer(cookie.For(from.host, from.port, LongTickCount()));
        SendDatagram(h, from, bytes.data(), bytes.size());
        return true;
    }

    bool Offered(const ENetHost* h)
    {
        return listener->TakeDatagram(ENET_NET_TO_HOST_32(h->receivedAddress.host), h->receivedAddress.port,
                                      h->receivedData, h->receivedDataLength);
    }

    // A connect without its address's cookie comes from an address that
    // never heard from us, forged as likely as not: it takes no slot and
    // draws no answer.
    bool Unproven(const ENetHost* h)
    {
        const auto at = ConnectAt(h->receivedData, h->receivedDataLength);
        if (!at)
            return false;
        const auto data = ConnectData(h->receivedData, h->receivedDataLength, *at);
        if (data && cookie.Accepts(*data, h->receivedAddress.host, h->receivedAddress.port, LongTickCount()))
            return false;
        ++traffic.unprovenConnects;
        return true;
    }

    // Another connection from an address with enough under way is ignored
    // before ENet gives it a slot.
    static bool TooManyUnderWay(const ENetHost* h)
    {
        if (!ConnectAt(h->receivedData, h->receivedDataLength))
            return false;
        int underWay = 0;
        for (std::size_t i = 0; i < h->peerCount; ++i)
            underWay += UnderWay(h->peers[i]) && h->peers[i].address.host == h->receivedAddress.host;
        return underWay >= kHandshakesPerAddress;
    }

    // The player's peer, which is no player from now on; null for none.
    ENetPeer* Forget(PlayerId player)
    {
        const auto found = players.find(player);
        if (found == players.end())
            return nullptr;
        ENetPeer* peer = found->second;
        players.erase(found);
        lostSeen.erase(player);
        return peer;
    }

    static PlayerId IdOf(const ENetPeer* peer)
    {
        return static_cast<PlayerId>(reinterpret_cast<std::uintptr_t>(peer->data));
    }

    void Handle(ENetEvent& event)
    {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT: {
            const bool watching = (event.data & ConnectCookie::kWatchBit) != 0;
            if (!listener->Admits(ENET_NET_TO_HOST_32(event.peer->address.host))) {
                enet_peer_disconnect(event.peer, kRefusedBanned);
                break;
            }
            if (!listener->HasRoom(ENET_NET_TO_HOST_32(event.peer->address.host), watching) ||
                players.size() >= maxPlayers) {
                enet_peer_disconnect(event.peer, kRefusedFull);
                break;
            }
            event.peer->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(nextId));
            enet_peer_timeout(event.peer, 0, 5000, 10000);
            players[nextId] = event.peer;
            if (ENetPacket* accepted = enet_packet_create(kAccepted, sizeof kAccepted, ENET_PACKET_FLAG_RELIABLE))
                enet_peer_send(event.peer, kControlChannel, accepted);
            enet_host_flush(host);
            listener->OnPlayerJoined(nextId++, watching);
            break;
        }
        case ENET_EVENT_TYPE_RECEIVE:
            ++traffic.payloadsIn;
            if (players.count(IdOf(event.peer)))
                listener->OnReceive(IdOf(event.peer), event.packet->data, event.packet->dataLength);
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            lostSeen.erase(IdOf(event.peer));
            if (players.erase(IdOf(event.peer)))
                listener->OnPlayerLeft(IdOf(event.peer));
            break;
        default:
            break;
        }
    }
};

SessionServer::SessionServer(SessionServerListener* listener) : state(std::make_unique<State>())
{
    state->listener = listener;
}

SessionServer::~SessionServer()
{
    End();
}

bool SessionServer::Host(const Guid& application, const std::string& name, std::uint32_t maxPlayers,
                         std::uint16_t port, std::string& error)
{
    if (!EnetReady()) {
        error = "the network could not be opened";
        return false;
    }
    End();
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    state->host = enet_host_create(&address, maxPlayers + kSpareSlots, kChannels, 0, 0);
    if (!state->host) {
        error = "port " + std::to_string(port) + " is in use or cannot be opened";
        return false;
    }
    state->host->maximumPacketSize = kLargestPayload;
    // Players send small messages: what a peer has under way, fragments it
    // may never complete included, is held up to this much and no further.
    state->host->maximumWaitingData = kLargestWaiting;
    state->application = application;
    state->name = name;
    state->maxPlayers = maxPlayers;
    RouteDatagrams(state->host, [this](ENetHost* h) {
        return state->Answer(h) || state->AnswerCookie(h) || state->Offered(h) || state->Unproven(h) ||
               State::TooManyUnderWay(h);
    });
    return true;
}

void SessionServer::SetAnnouncedCounts(std::uint32_t current, std::uint32_t maximum)
{
    state->announcedSet = true;
    state->announcedCurrent = current;
    state->announcedMax = maximum;
}

void SessionServer::DoWork(std::uint32_t budgetMs)
{
    if (state->host)
        ServiceWithin(state->host, budgetMs, [this](ENetEvent& event) { state->Handle(event); });
    state->EndLateParting();
    state->Gather();
}

void SessionServer::SendTo(PlayerId player, const std::uint8_t* data, std::size_t size, Delivery delivery)
{
    QueueTo(player, data, size, delivery);
    Flush();
}

void SessionServer::QueueTo(PlayerId player, const std::uint8_t* data, std::size_t size, Delivery delivery)
{
    const auto found = state->players.find(player);
    if (found != state->players.end() && data && size) {
        QueuePayload(state->host, found->second, data, size, delivery);
        ++state->traffic.payloadsOut;
    }
}

void SessionServer::Flush()
{
    if (state->host)
        enet_host_flush(state->host);
    state->Gather();
}

void SessionServer::Drop(PlayerId player)
{
    // At once, so the slot is free for the next without waiting for a peer
    // that may never answer.
    if (ENetPeer* peer = state->Forget(player))
        enet_peer_disconnect_now(peer, 0);
}

void SessionServer::DropAfterQueued(PlayerId player)
{
    if (ENetPeer* peer = state->Forget(player)) {
        enet_peer_disconnect_later(peer, 0);
        state->parting.push_back({peer, peer->connectID, TickCount()});
    }
}

void SessionServer::End()
{
    if (!state->host)
        return;
    // Everyone still connected is told, players or not yet.
    for (std::size_t i = 0; i < state->host->peerCount; ++i) {
        if (state->host->peers[i].state == ENET_PEER_STATE_CONNECTED)
            enet_peer_disconnect(&state->host->peers[i], 0);
    }
    state->players.clear();
    // Let the farewells go out before the port closes.
    const std::uint32_t start = TickCount();
    ENetEvent event;
    while (TickCount() - start < kFarewellTime) {
        const int got = enet_host_service(state->host, &event, 10);
        if (got < 0)
            break;
        if (got > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
    }
    Unroute(state->host);
    enet_host_destroy(state->host);
    state->host = nullptr;
    state->parting.clear();
}

std::uint32_t SessionServer::TakeResent(PlayerId player)
{
    const auto found = state->players.find(player);
    if (found == state->players.end())
        return 0;
    // ENet counts a reliable command that timed out and goes again, and
    // starts the count afresh every ten seconds.
    const enet_uint32 lost = found->second->packetsLost;
    enet_uint32& seen = state->lostSeen[player];
    const enet_uint32 resent = lost >= seen ? lost - seen : lost;
    seen = lost;
    return resent;
}

std::size_t SessionServer::ReliableBytesQueued(PlayerId player) const
{
    const auto found = state->players.find(player);
    return found == state->players.end() ? 0 : platform::ReliableBytesQueued(found->second);
}

SessionServer::Link SessionServer::LinkOf(PlayerId player) const
{
    const auto found = state->players.find(player);
    if (found == state->players.end())
        return {};
    const ENetPeer& peer = *found->second;
    return {peer.roundTripTime, static_cast<double>(peer.packetLoss) / static_cast<double>(ENET_PEER_PACKET_LOSS_SCALE),
            static_cast<double>(peer.packetThrottle) / static_cast<double>(ENET_PEER_PACKET_THROTTLE_SCALE)};
}

std::uint32_t SessionServer::AddressOf(PlayerId player) const
{
    const auto found = state->players.find(player);
    return found == state->players.end() ? 0 : ENET_NET_TO_HOST_32(found->second->address.host);
}

SessionServer::Traffic SessionServer::Counted() const
{
    Traffic now = state->traffic;
    if (state->host) {
        now.bytesIn += state->host->totalReceivedData;
        now.bytesOut += state->host->totalSentData;
    }
    return now;
}

std::uint32_t SessionServer::PlayerCount() const
{
    return static_cast<std::uint32_t>(state->players.size());
}

} // namespace platform
