#pragma once

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Delivery.h"

namespace platform {

// ENet started once for the process.
bool EnetReady();

// Routes the raw datagrams a host receives through a function first: it
// returns true for a datagram it took (the host search), false to leave it
// to the session. One route per host; Unroute before the host goes.
void RouteDatagrams(ENetHost* host, std::function<bool(ENetHost*)> route);
void Unroute(ENetHost* host);

// The channels of a session: reliable and ordered, neither, and the host's
// word that it took a player.
constexpr enet_uint8 kReliableChannel = 0;
constexpr enet_uint8 kUnreliableChannel = 1;
constexpr enet_uint8 kControlChannel = 2;
constexpr std::size_t kChannels = 3;

// Why a host closed a link before taking the player, as the data of its
// disconnect.
constexpr enet_uint32 kRefusedFull = 1;
constexpr enet_uint32 kRefusedBanned = 2;

// Queues a payload for a peer. What is queued for a peer leaves together,
// in as few datagrams as it fits, at the next flush or service of the host.
void QueuePayload(ENetHost* host, ENetPeer* peer, const std::uint8_t* data, std::size_t size, Delivery delivery);
// Reliable bytes to the peer not yet acknowledged: those waiting to go and
// those in flight, each once however often it is sent again.
std::size_t ReliableBytesQueued(const ENetPeer* peer);
// Queues a payload and sends what is queued at once.
void SendPayload(ENetHost* host, ENetPeer* peer, const std::uint8_t* data, std::size_t size, Delivery delivery);

// Hands each pending event to handle, for at most budgetMs; returns as
// soon as nothing is pending, true then, false when the budget ran out.
bool ServiceWithin(ENetHost* host, std::uint32_t budgetMs, const std::function<void(ENetEvent&)>& handle);

// Asks the host at an address for its connect cookie, again every so often,
// and begins a connection carrying it, and whether it comes to watch; null
// when no cookie came within withinMs or no peer was free.
ENetPeer* ConnectProven(ENetHost* host, const ENetAddress& to, std::uint32_t withinMs, bool watching = false);

// Sends one raw datagram from the host's socket; a failure (no route to a
// broadcast address, say) is quietly skipped.
void SendDatagram(ENetHost* host, const ENetAddress& to, const void* data, std::size_t size);

} // namespace platform
