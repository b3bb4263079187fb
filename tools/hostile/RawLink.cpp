#include "hostile/RawLink.h"

#include "platform/Clock.h"
#include "platform/EnetHost.h"

RawLink::~RawLink()
{
    Leave();
}

bool RawLink::Connect(std::uint16_t port, std::uint32_t waitMs)
{
    Leave();
    closedByServer = false;
    received = 0;
    if (!platform::EnetReady())
        return false;
    host = enet_host_create(nullptr, 1, platform::kChannels, 0, 0);
    if (!host)
        return false;
    ENetAddress to{};
    enet_address_set_host_ip(&to, "127.0.0.1");
    to.port = port;
    // The server's cookie, then the link; the player is in when the word on
    // the control channel arrives.
    const std::uint32_t start = platform::TickCount();
    ENetPeer* connecting = platform::ConnectProven(host, to, waitMs);
    if (!connecting)
        return false;
    while (platform::TickCount() - start < waitMs) {
        ENetEvent event;
        if (enet_host_service(host, &event, 1) <= 0)
            continue;
        if (event.type == ENET_EVENT_TYPE_RECEIVE) {
            const bool accepted = event.channelID == platform::kControlChannel;
            enet_packet_destroy(event.packet);
            if (accepted) {
                peer = connecting;
                return true;
            }
        } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
            closedByServer = true;
            break;
        }
    }
    enet_peer_reset(connecting);
    return false;
}

void RawLink::Send(const std::vector<std::uint8_t>& bytes, bool reliable)
{
    if (!peer)
        return;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(),
                                            reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (packet &&
        enet_peer_send(peer, reliable ? platform::kReliableChannel : platform::kUnreliableChannel, packet) != 0)
        enet_packet_destroy(packet);
}

void RawLink::Pump(std::uint32_t ms)
{
    if (!host)
        return;
    enet_host_flush(host);
    const std::uint32_t start = platform::TickCount();
    ENetEvent event;
    do {
        while (host && enet_host_service(host, &event, ms ? 1 : 0) > 0)
            Handle(event);
    } while (host && platform::TickCount() - start < ms);
}

bool RawLink::AwaitClose(std::uint32_t ms)
{
    const std::uint32_t start = platform::TickCount();
    while (peer && platform::TickCount() - start < ms)
        Pump(1);
    return closedByServer;
}

void RawLink::Handle(const ENetEvent& event)
{
    if (event.type == ENET_EVENT_TYPE_RECEIVE) {
        ++received;
        enet_packet_destroy(event.packet);
    } else if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == peer) {
        peer = nullptr;
        closedByServer = true;
    }
}

void RawLink::Leave()
{
    if (peer) {
        enet_peer_disconnect_now(peer, 0);
        peer = nullptr;
    }
    Vanish();
}

void RawLink::Vanish()
{
    // Destroying the host resets its peers: nothing more goes out.
    if (host)
        enet_host_destroy(host);
    host = nullptr;
    peer = nullptr;
}
