#include "platform/ServerPinger.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/EnetHost.h"

namespace platform {

namespace {

constexpr std::intptr_t kNoSocket = -1;

bool ToAddress(const std::string& text, ENetAddress& address)
{
    unsigned a = 0, b = 0, c = 0, d = 0, port = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u:%u%c", &a, &b, &c, &d, &port, &end) != 5 || a > 255 || b > 255 ||
        c > 255 || d > 255 || port == 0 || port > 65535)
        return false;
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                                   static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)};
    enet_address_set_host_ip(&address, "0.0.0.0");
    std::copy(bytes, bytes + 4, reinterpret_cast<std::uint8_t*>(&address.host));
    address.port = static_cast<enet_uint16>(port);
    return true;
}

} // namespace

ServerPinger::ServerPinger(const Guid& application) : application(application), socket(kNoSocket)
{
    if (!EnetReady())
        return;
    const ENetSocket made = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (made == ENET_SOCKET_NULL)
        return;
    enet_socket_set_option(made, ENET_SOCKOPT_NONBLOCK, 1);
    socket = made;
}

ServerPinger::~ServerPinger()
{
    if (socket != kNoSocket)
        enet_socket_destroy(static_cast<ENetSocket>(socket));
}

void ServerPinger::Ask(const std::string& address)
{
    // A set, so that asking for every row of a long list stays linear.
    if (asked.insert(address).second)
        waiting.push_back(address);
}

void ServerPinger::Launch()
{
    while (flying.size() < kMostAtOnce && !waiting.empty()) {
        const std::string address = waiting.front();
        waiting.pop_front();
        ENetAddress to{};
        if (socket == kNoSocket || !ToAddress(address, to)) {
            asked.erase(address);
            continue;
        }
        discovery::Search search{application, discovery::RandomNonce()};
        std::vector<std::uint8_t> bytes = discovery::EncodeSearch(search);
        ENetBuffer buffer{bytes.data(), bytes.size()};
        enet_socket_send(static_cast<ENetSocket>(socket), &to, &buffer, 1);
        flying.push_back({address, search.nonce, TickCount()});
    }
}

void ServerPinger::Receive(std::vector<std::pair<std::string, int>>& done)
{
    std::uint8_t bytes[discovery::kSearchSize];
    for (;;) {
        ENetAddress from{};
        ENetBuffer buffer{bytes, sizeof bytes};
        const int got = enet_socket_receive(static_cast<ENetSocket>(socket), &from, &buffer, 1);
        if (got <= 0)
            return;
        const auto answer = discovery::DecodeAnswer(bytes, static_cast<std::size_t>(got));
        if (!answer || !(answer->application == application))
            continue;
        const auto flight = std::find_if(flying.begin(), flying.end(),
                                         [&](const Flight& f) { return f.nonce == answer->nonce; });
        if (flight == flying.end())
            continue;
        Finish(done, flight->address, static_cast<int>(TickCount() - flight->sentAt));
        flying.erase(flight);
    }
}

void ServerPinger::Finish(std::vector<std::pair<std::string, int>>& done, const std::string& address, int ms)
{
    asked.erase(address);
    done.emplace_back(address, ms);
}

std::vector<std::pair<std::string, int>> ServerPinger::Poll()
{
    std::vector<std::pair<std::string, int>> done;
    if (socket != kNoSocket)
        Receive(done);
    const std::uint32_t now = TickCount();
    for (auto flight = flying.begin(); flight != flying.end();) {
        if (now - flight->sentAt < kWaitMs) {
            ++flight;
            continue;
        }
        Finish(done, flight->address, kSilent);
        flight = flying.erase(flight);
    }
    Launch();
    return done;
}

} // namespace platform
