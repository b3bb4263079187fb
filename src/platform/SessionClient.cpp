#include "platform/SessionClient.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdlib>
#include <vector>

#include "platform/Clock.h"
#include "platform/EnetHost.h"
#include "platform/HostLookup.h"
#include "platform/TypedAddress.h"

namespace platform {

namespace {

constexpr std::uint32_t kTypedSearchTime = 1000; // a named host may be further away
constexpr std::uint32_t kLookupTime = 1000;
constexpr std::uint32_t kResendInterval = 150;
constexpr std::uint32_t kAfterFirstAnswer = 60; // others on the LAN answer about as fast
constexpr std::uint32_t kSends = 3;

// Loopback first, then each interface's broadcast address.
std::vector<ENetAddress> LanTargets(std::uint16_t port)
{
    std::vector<ENetAddress> targets;
    ENetAddress loopback{};
    loopback.host = htonl(INADDR_LOOPBACK);
    loopback.port = port;
    targets.push_back(loopback);
    if (SessionClient::LoopbackOnly())
        return targets;
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0)
        return targets;
    for (const ifaddrs* i = interfaces; i; i = i->ifa_next) {
        if (!(i->ifa_flags & IFF_BROADCAST) || !(i->ifa_flags & IFF_UP) || !i->ifa_broadaddr ||
            i->ifa_broadaddr->sa_family != AF_INET)
            continue;
        ENetAddress broadcast{};
        broadcast.host = reinterpret_cast<const sockaddr_in*>(i->ifa_broadaddr)->sin_addr.s_addr;
        broadcast.port = port;
        targets.push_back(broadcast);
    }
    freeifaddrs(interfaces);
    return targets;
}

} // namespace

struct SessionClient::State {
    SessionClientListener* listener = nullptr;
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool connected = false;
    std::uint32_t payloadAt = 0;
    std::uint32_t servicedAt = 0;
    discovery::Search search;
    std::uint32_t searchStart = 0;
    bool searched = false;
    std::uint32_t answersFromTarget = 0;
    std::uint32_t answers = 0;
    std::uint32_t firstAnswerAt = 0;
    std::uint32_t targetHost = 0;

    bool Open()
    {
        if (host)
            return true;
        if (!EnetReady())
            return false;
        host = enet_host_create(nullptr, 1, kChannels, 0, 0);
        if (!host)
            return false;
        host->maximumPacketSize = kLargestPayload;
        host->maximumWaitingData = 4 * kLargestPayload;
        enet_socket_set_option(host->socket, ENET_SOCKOPT_BROADCAST, 1);
        RouteDatagrams(host, [this](ENetHost* h) { return TakeAnswer(h); });
        return true;
    }

    // Answers to a search come back as raw datagrams. Only answers to the
    // running search are taken: anything else with our marks is dropped.
    bool TakeAnswer(ENetHost* h)
    {
        const auto answer = discovery::DecodeAnswer(h->receivedData, h->receivedDataLength);
        if (!answer)
            return discovery::DecodeSearch(h->receivedData, h->receivedDataLength).has_value();
        const bool running = searched && TickCount() - searchStart < kAnswerWindow;
        if (running && answer->application == search.application && answer->nonce == search.nonce) {
            if (answers++ == 0)
                firstAnswerAt = TickCount();
            if (h->receivedAddress.host == targetHost)
                ++answersFromTarget;
            listener->OnHostFound(*answer, {h->receivedAddress.host, h->receivedAddress.port});
        }
        return true;
    }

    void Handle(const ENetEvent& event)
    {
        switch (event.type) {
        case ENET_EVENT_TYPE_RECEIVE:
            if (event.peer == peer)
                payloadAt = TickCount();
            listener->OnReceive(event.packet->data, event.packet->dataLength);
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (event.peer == peer)
                Lose();
            break;
        default:
            break;
        }
    }

    void Lose()
    {
        peer = nullptr;
        if (connected) {
            connected = false;
            listener->OnTerminate();
        }
    }

    // Payloads, or the link's acknowledgements when the game is quiet.
    bool HostSilent() const
    {
        if (!connected || !peer)
            return false;
        const std::uint32_t sincePayload = TickCount() - payloadAt;
        const std::uint32_t sinceAck = enet_time_get() - peer->lastReceiveTime;
        return sincePayload >= kSilenceLimit && sinceAck >= kSilenceLimit;
    }
};

SessionClient::SessionClient(SessionClientListener* listener) : state(std::make_unique<State>())
{
    state->listener = listener;
}

SessionClient::~SessionClient()
{
    Close();
}

bool SessionClient::LoopbackOnly()
{
    return std::getenv("QUILLROCK_LOOPBACK_ONLY") != nullptr;
}

std::string SessionClient::AddressText(const SessionAddress& address)
{
    char text[INET_ADDRSTRLEN] = {};
    in_addr host{};
    host.s_addr = address.host;
    inet_ntop(AF_INET, &host, text, sizeof text);
    return std::string(text) + ":" + std::to_string(address.port);
}

bool SessionClient::Search(const Guid& application, const char* hostName, std::uint16_t port, std::string& error)
{
    if (!state->Open()) {
        error = "the network could not be opened";
        return false;
    }
    std::vector<ENetAddress> targets;
    const bool named = hostName && hostName[0];
    if (named) {
        TypedAddress typed;
        ENetAddress address{};
        if (!ParseTypedAddress(hostName, port, typed, error) ||
            !LookUpHost(typed.host, kLookupTime, address.host, error))
            return false;
        address.port = typed.port;
        targets.push_back(address);
    } else {
        targets = LanTargets(port);
    }

    state->search = {application, discovery::RandomNonce()};
    state->searched = true;
    state->searchStart = TickCount();
    state->targetHost = named ? targets.front().host : 0;
    state->answersFromTarget = 0;
    state->answers = 0;
    const auto request = discovery::EncodeSearch(state->search);
    const std::uint32_t start = state->searchStart;
    const std::uint32_t listen = named ? kTypedSearchTime : kSearchTime;
    // The request goes out a few times, in case one is lost.
    std::uint32_t sent = 0;
    while (TickCount() - start < listen) {
        if (sent < kSends && TickCount() - start >= sent * kResendInterval) {
            for (const ENetAddress& target : targets)
                SendDatagram(state->host, target, request.data(), request.size());
            ++sent;
        }
        ENetEvent event;
        if (enet_host_service(state->host, &event, 10) > 0)
            state->Handle(event);
        // A named host is done when it answers; a LAN search shortly after
        // the first answer. Later answers still arrive through DoWork.
        if (named && state->answersFromTarget > 0)
            break;
        if (!named && state->answers > 0 && TickCount() - state->firstAnswerAt >= kAfterFirstAnswer)
            break;
    }
    return true;
}

bool SessionClient::Connect(const SessionAddress& address, bool watching)
{
    if (!state->Open())
        return false;
    if (state->peer) {
        enet_peer_reset(state->peer);
        state->peer = nullptr;
        state->connected = false;
    }
    ENetAddress to{};
    to.host = address.host;
    to.port = address.port;
    // The host's cookie, then the link, then the host's word that it took
    // the player; a full host closes the link instead.
    const std::uint32_t start = TickCount();
    ENetPeer* peer = ConnectProven(state->host, to, kConnectTime, watching);
    if (!peer) {
        state->listener->OnConnectComplete(ConnectOutcome::Refused);
        return false;
    }
    enet_peer_timeout(peer, 0, 5000, 10000);
    // The host answers each ping in a datagram of its own: the reports
    // show the link alive, so pings need not come every half second.
    enet_peer_ping_interval(peer, kPingInterval);
    bool done = false;
    bool banned = false;
    while (!done && TickCount() - start < kConnectTime) {
        ENetEvent event;
        if (enet_host_service(state->host, &event, 10) <= 0)
            continue;
        if (event.type == ENET_EVENT_TYPE_RECEIVE && event.peer == peer && event.channelID == kControlChannel) {
            enet_packet_destroy(event.packet);
            state->peer = peer;
            state->connected = true;
            state->payloadAt = TickCount();
            done = true;
        } else if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == peer) {
            banned = event.data == kRefusedBanned;
            done = true;
        } else if (event.type != ENET_EVENT_TYPE_CONNECT) {
            state->Handle(event);
        }
    }
    if (!state->connected)
        enet_peer_reset(peer);
    state->listener->OnConnectComplete(state->connected ? ConnectOutcome::Joined
                                       : banned       ? ConnectOutcome::Banned
                                                      : ConnectOutcome::Refused);
    return state->connected;
}

bool SessionClient::TargetAnswered() const
{
    return state->answersFromTarget > 0;
}

bool SessionClient::IsConnected() const
{
    return state->connected;
}

void SessionClient::Send(const std::uint8_t* data, std::size_t size, Delivery delivery)
{
    if (state->connected && state->peer && data && size)
        SendPayload(state->host, state->peer, data, size, delivery);
}

void SessionClient::DoWork(std::uint32_t budgetMs)
{
    if (!state->host)
        return;
    // Silence counts only once everything that came in is read: a game
    // that stalled for a while has its host's word still waiting. And a
    // game that was not listening for a while (stopped, starved of the
    // processor) cannot tell a silent host: the host gets a fresh hearing.
    const std::uint32_t now = TickCount();
    if (now - state->servicedAt > kSilenceLimit / 2)
        state->payloadAt = now;
    state->servicedAt = now;
    const bool drained = ServiceWithin(state->host, budgetMs, [this](ENetEvent& event) { state->Handle(event); });
    if (drained && state->HostSilent()) {
        enet_peer_reset(state->peer);
        state->Lose();
    }
}

void SessionClient::Close()
{
    if (!state->host)
        return;
    if (state->peer) {
        enet_peer_disconnect_now(state->peer, 0);
        state->peer = nullptr;
    }
    state->connected = false;
    Unroute(state->host);
    enet_host_destroy(state->host);
    state->host = nullptr;
}

} // namespace platform
