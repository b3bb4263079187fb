#pragma once

#include <enet/enet.h>

#include <functional>

namespace platform {

// ENet started once for the process.
bool EnetReady();

// Routes the raw datagrams a host receives through a function first: it
// returns true for a datagram it took (the host search), false to leave it
// to the session. One route per host; Unroute before the host goes.
void RouteDatagrams(ENetHost* host, std::function<bool(ENetHost*)> route);
void Unroute(ENetHost* host);

// Sends one raw datagram from the host's socket; a failure (no route to a
// broadcast address, say) is quietly skipped.
void SendDatagram(ENetHost* host, const ENetAddress& to, const void* data, std::size_t size);

} // namespace platform
