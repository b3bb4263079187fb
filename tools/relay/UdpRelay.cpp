#include "relay/UdpRelay.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

constexpr std::size_t kLargestDatagram = 65536;
// A client silent this long in both directions has gone; its socket closes.
constexpr std::uint64_t kIdleMs = 60000;
// The longest one Run waits between looks at the stop flag.
constexpr std::uint32_t kStopCheckMs = 20;
// A datagram held back for reordering waits at least this much longer.
constexpr std::uint32_t kLeastHoldBackMs = 20;

std::uint64_t NowMs()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

int OpenSocket(std::uint32_t host, std::uint16_t port, std::string& error)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot open a socket: ") + std::strerror(errno);
        return -1;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = host;
    address.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot listen on port " + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

std::uint64_t KeyOf(const sockaddr_in& address)
{
    return static_cast<std::uint64_t>(ntohl(address.sin_addr.s_addr)) << 16 | ntohs(address.sin_port);
}

} // namespace

UdpRelay::UdpRelay(const Faults& chosen, std::uint32_t seed) : faults(chosen), random(seed), buffer(kLargestDatagram)
{
}

UdpRelay::~UdpRelay()
{
    for (auto& [key, upstream] : upstreams)
        ::close(upstream.socket);
    if (listenSocket >= 0)
        ::close(listenSocket);
}

bool UdpRelay::Open(std::uint16_t port, std::uint32_t serverHost, std::uint16_t serverPort, std::string& error)
{
    listenSocket = OpenSocket(htonl(INADDR_LOOPBACK), port, error);
    if (listenSocket < 0)
        return false;
    sockaddr_in bound {};
    socklen_t length = sizeof bound;
    ::getsockname(listenSocket, reinterpret_cast<sockaddr*>(&bound), &length);
    listenPort = ntohs(bound.sin_port);
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = serverHost;
    server.sin_port = htons(serverPort);
    return true;
}

void UdpRelay::SetTaps(Tap arrived, Tap delivered)
{
    arrivedTap = std::move(arrived);
    deliveredTap = std::move(delivered);
}

void UdpRelay::Run(const std::atomic<bool>& stop)
{
    while (!stop)
        Pump(kStopCheckMs);
}

void UdpRelay::Pump(std::uint32_t waitMs)
{
    std::uint64_t now = NowMs();
    std::uint64_t wait = waitMs;
    if (!pending.empty())
        wait = pending.top().due > now ? std::min(wait, pending.top().due - now) : 0;

    std::vector<pollfd> watched;
    std::vector<ClientKey> owners; // the client of each upstream socket in watched, after the first
    watched.push_back({listenSocket, POLLIN, 0});
    for (const auto& [key, upstream] : upstreams) {
        watched.push_back({upstream.socket, POLLIN, 0});
        owners.push_back(key);
    }
    ::poll(watched.data(), watched.size(), static_cast<int>(wait));

    now = NowMs();
    if (watched[0].revents & POLLIN)
        TakeFromClients(now);
    for (std::size_t i = 1; i < watched.size(); ++i) {
        if (!(watched[i].revents & POLLIN))
            continue;
        const auto found = upstreams.find(owners[i - 1]);
        if (found != upstreams.end())
            TakeFromServer(found->first, found->second, now);
    }
    SendDue(now);
    ForgetIdleClients(now);
}

UdpRelay::Counts UdpRelay::GetCounts() const
{
    std::lock_guard<std::mutex> lock(countsLock);
    return counts;
}

void UdpRelay::TakeFromClients(std::uint64_t now)
{
    for (;;) {
        sockaddr_in from {};
        socklen_t length = sizeof from;
        const ssize_t got = ::recvfrom(listenSocket, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &length);
        if (got < 0)
            return;
        Upstream* upstream = UpstreamFor(from, now);
        if (!upstream)
            continue;
        upstream->lastHeard = now;
        Schedule(Direction::ToServer, KeyOf(from), buffer.data(), static_cast<std::size_t>(got), now);
    }
}

void UdpRelay::TakeFromServer(ClientKey key, Upstream& upstream, std::uint64_t now)
{
    for (;;) {
        sockaddr_in from {};
        socklen_t length = sizeof from;
        const ssize_t got = ::recvfrom(upstream.socket, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &length);
        if (got < 0)
            return;
        // Only the server speaks on this socket; anything else is not passed on.
        if (from.sin_addr.s_addr != server.sin_addr.s_addr || from.sin_port != server.sin_port)
            continue;
        upstream.lastHeard = now;
        Schedule(Direction::ToClient, key, buffer.data(), static_cast<std::size_t>(got), now);
    }
}

void UdpRelay::Schedule(Direction direction, ClientKey client, const std::uint8_t* data, std::size_t size,
                        std::uint64_t now)
{
    if (arrivedTap)
        arrivedTap(direction, data, size);

    // Every datagram draws the same numbers whatever befalls it, so that a
    // seed gives the same faults to the same traffic.
    std::uniform_real_distribution<double> percent(0.0, 100.0);
    const std::int64_t jitter = faults.jitterMs;
    std::uniform_int_distribution<std::int64_t> spread(-jitter, jitter);
    const bool lost = percent(random) < faults.lossPercent;
    const bool doubled = percent(random) < faults.duplicatePercent;
    const bool heldBack = percent(random) < faults.reorderPercent;
    const std::int64_t firstJitter = spread(random);
    const std::int64_t secondJitter = spread(random);

    {
        std::lock_guard<std::mutex> lock(countsLock);
        ++counts.received;
        counts.lost += lost;
        counts.duplicated += !lost && doubled;
        counts.reordered += !lost && heldBack;
    }
    if (lost)
        return;

    const auto dueAfter = [&](std::int64_t jitterMs, bool holdBack) {
        std::int64_t delay = static_cast<std::int64_t>(faults.delayMs) + jitterMs;
        if (holdBack)
            delay += std::max(faults.delayMs, kLeastHoldBackMs);
        return now + static_cast<std::uint64_t>(std::max<std::int64_t>(delay, 0));
    };
    pending.push({dueAfter(firstJitter, heldBack), nextOrder++, direction, client, {data, data + size}});
    if (doubled)
        pending.push({dueAfter(secondJitter, false), nextOrder++, direction, client, {data, data + size}});
}

void UdpRelay::SendDue(std::uint64_t now)
{
    while (!pending.empty() && pending.top().due <= now) {
        const Pending& next = pending.top();
        const auto found = upstreams.find(next.client);
        // A client forgotten meanwhile gets nothing more.
        if (found != upstreams.end()) {
            const bool toServer = next.direction == Direction::ToServer;
            const int from = toServer ? found->second.socket : listenSocket;
            const sockaddr_in& to = toServer ? server : found->second.client;
            const ssize_t sent = ::sendto(from, next.bytes.data(), next.bytes.size(), 0,
                                          reinterpret_cast<const sockaddr*>(&to), sizeof to);
            if (sent == static_cast<ssize_t>(next.bytes.size())) {
                if (deliveredTap)
                    deliveredTap(next.direction, next.bytes.data(), next.bytes.size());
                std::lock_guard<std::mutex> lock(countsLock);
                ++counts.delivered;
            }
        }
        pending.pop();
    }
}

UdpRelay::Upstream* UdpRelay::UpstreamFor(const sockaddr_in& from, std::uint64_t now)
{
    const ClientKey key = KeyOf(from);
    const auto found = upstreams.find(key);
    if (found != upstreams.end())
        return &found->second;
    std::string error;
    const int fd = OpenSocket(htonl(INADDR_ANY), 0, error);
    if (fd < 0)
        return nullptr;
    Upstream& made = upstreams[key];
    made.socket = fd;
    made.client = from;
    made.lastHeard = now;
    return &made;
}

void UdpRelay::ForgetIdleClients(std::uint64_t now)
{
    for (auto i = upstreams.begin(); i != upstreams.end();) {
        if (now - i->second.lastHeard > kIdleMs) {
            ::close(i->second.socket);
            i = upstreams.erase(i);
        } else {
            ++i;
        }
    }
}
