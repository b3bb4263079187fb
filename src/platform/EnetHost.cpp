#include "platform/EnetHost.h"

#include "platform/Clock.h"
#include "platform/ConnectCookie.h"

#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

std::unordered_map<ENetHost*, std::function<bool(ENetHost*)>>& Routes()
{
    static std::unordered_map<ENetHost*, std::function<bool(ENetHost*)>> routes;
    return routes;
}

int ENET_CALLBACK Intercept(ENetHost* host, ENetEvent*)
{
    const auto found = Routes().find(host);
    return found != Routes().end() && found->second(host) ? 1 : 0;
}

// A lost request or answer is asked again this soon.
constexpr std::uint32_t kCookieAskedAgainMs = 250;

// The cookie in an answer from the address, read straight off the socket:
// no link is under way yet that ENet would have to see.
std::optional<std::uint32_t> CookieAnswer(ENetHost* host, const ENetAddress& from, std::uint32_t waitMs)
{
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    if (enet_socket_wait(host->socket, &condition, waitMs) < 0 || !(condition & ENET_SOCKET_WAIT_RECEIVE))
        return std::nullopt;
    std::uint8_t bytes[ConnectCookie::kRequestSize] = {};
    ENetBuffer buffer;
    buffer.data = bytes;
    buffer.dataLength = sizeof bytes;
    ENetAddress sender{};
    const int got = enet_socket_receive(host->socket, &sender, &buffer, 1);
    if (got <= 0 || sender.host != from.host || sender.port != from.port)
        return std::nullopt;
    return ConnectCookie::DecodeAnswer(bytes, static_cast<std::size_t>(got));
}

} // namespace

bool EnetReady()
{
    static const bool ready = [] {
        if (enet_initialize() != 0)
            return false;
        std::atexit(enet_deinitialize);
        return true;
    }();
    return ready;
}

void RouteDatagrams(ENetHost* host, std::function<bool(ENetHost*)> route)
{
    Routes()[host] = std::move(route);
    host->intercept = Intercept;
}

void Unroute(ENetHost* host)
{
    Routes().erase(host);
}

void QueuePayload(ENetHost*, ENetPeer* peer, const std::uint8_t* data, std::size_t size, Delivery delivery)
{
    // ENet sequences a channel's unreliable packets; unsequenced ones go
    // beside that order, neither dropping nor dropped by the others.
    const enet_uint32 flags = delivery == Delivery::Reliable ? ENET_PACKET_FLAG_RELIABLE
                              : delivery == Delivery::Any    ? ENET_PACKET_FLAG_UNSEQUENCED
                                                             : 0;
    ENetPacket* packet = enet_packet_create(data, size, flags);
    if (!packet)
        return;
    if (enet_peer_send(peer, delivery == Delivery::Reliable ? kReliableChannel : kUnreliableChannel, packet) != 0)
        enet_packet_destroy(packet);
}

namespace {

std::size_t ReliableBytesIn(const ENetList& commands)
{
    std::size_t bytes = 0;
    for (const ENetListNode* node = commands.sentinel.next; node != &commands.sentinel; node = node->next) {
        const auto* command = reinterpret_cast<const ENetOutgoingCommand*>(node);
        if (command->command.header.command & ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE)
            bytes += command->fragmentLength;
    }
    return bytes;
}

} // namespace

std::size_t ReliableBytesQueued(const ENetPeer* peer)
{
    // A command that timed out goes back to wait, out of the bytes in flight.
    std::size_t bytes = peer->reliableDataInTransit + ReliableBytesIn(peer->outgoingCommands);
#if ENET_VERSION >= ENET_VERSION_CREATE(1, 3, 18)
    bytes += ReliableBytesIn(peer->outgoingSendReliableCommands);
#endif
    return bytes;
}

void SendPayload(ENetHost* host, ENetPeer* peer, const std::uint8_t* data, std::size_t size, Delivery delivery)
{
    QueuePayload(host, peer, data, size, delivery);
    enet_host_flush(host);
}

bool ServiceWithin(ENetHost* host, std::uint32_t budgetMs, const std::function<void(ENetEvent&)>& handle)
{
    const std::uint32_t start = TickCount();
    ENetEvent event;
    while (enet_host_service(host, &event, 0) > 0) {
        handle(event);
        if (TickCount() - start >= budgetMs)
            return false;
    }
    return true;
}

ENetPeer* ConnectProven(ENetHost* host, const ENetAddress& to, std::uint32_t withinMs, bool watching)
{
    const std::vector<std::uint8_t> request = ConnectCookie::EncodeRequest();
    const std::uint32_t start = TickCount();
    std::uint32_t askedAt = start - kCookieAskedAgainMs;
    while (TickCount() - start < withinMs) {
        if (TickCount() - askedAt >= kCookieAskedAgainMs) {
            SendDatagram(host, to, request.data(), request.size());
            askedAt = TickCount();
        }
        if (const auto cookie = CookieAnswer(host, to, 10))
            return enet_host_connect(host, &to, kChannels, *cookie | (watching ? ConnectCookie::kWatchBit : 0));
    }
    return nullptr;
}

void SendDatagram(ENetHost* host, const ENetAddress& to, const void* data, std::size_t size)
{
    ENetBuffer buffer;
    buffer.data = const_cast<void*>(data);
    buffer.dataLength = size;
    enet_socket_send(host->socket, &to, &buffer, 1);
}

} // namespace platform
