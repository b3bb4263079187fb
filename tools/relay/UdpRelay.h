#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <queue>
#include <random>
#include <string>
#include <vector>

// A poor network on loopback: listens on a UDP port, forwards each client's
// datagrams to one server and the server's answers back, late, jittered,
// sometimes lost, doubled or overtaken. Each client address gets a socket
// of its own towards the server, so the server tells the clients apart as
// it would on a real network. One thread runs it; the counters and taps may
// be read from others.
class UdpRelay {
public:
    struct Faults {
        std::uint32_t delayMs = 100;    // each way
        std::uint32_t jitterMs = 20;    // the delay varies by up to this either way
        double lossPercent = 5.0;
        double duplicatePercent = 1.0;  // sent twice, each copy with its own delay
        double reorderPercent = 2.0;    // held back one delay more, so later ones pass it
    };

    struct Counts {
        std::uint64_t received = 0;
        std::uint64_t lost = 0;
        std::uint64_t duplicated = 0;
        std::uint64_t reordered = 0;
        std::uint64_t delivered = 0;
    };

    enum class Direction { ToServer, ToClient };
    // Sees a datagram: as it arrives, before any fault, or as it leaves.
    using Tap = std::function<void(Direction, const std::uint8_t* data, std::size_t size)>;

    UdpRelay(const Faults& faults, std::uint32_t seed);
    ~UdpRelay();
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    // Listens on the loopback port (0: any free one) for clients of the
    // server at host:port (host in network order); false with the reason.
    bool Open(std::uint16_t listenPort, std::uint32_t serverHost, std::uint16_t serverPort, std::string& error);
    std::uint16_t Port() const { return listenPort; }

    // Set before Run; called on the relay's thread.
    void SetTaps(Tap arrived, Tap delivered);

    // Moves datagrams until stop is set.
    void Run(const std::atomic<bool>& stop);
    // Waits up to waitMs for datagrams, takes them in, sends what is due.
    void Pump(std::uint32_t waitMs);

    Counts GetCounts() const;

private:
    using ClientKey = std::uint64_t; // address << 16 | port

    struct Upstream {
        int socket = -1;
        sockaddr_in client {};
        std::uint64_t lastHeard = 0;
    };

    struct Pending {
        std::uint64_t due = 0;
        std::uint64_t order = 0; // among equal due times, first come first sent
        Direction direction = Direction::ToServer;
        ClientKey client = 0;
        std::vector<std::uint8_t> bytes;
        bool operator>(const Pending& other) const
        {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    void TakeFromClients(std::uint64_t now);
    void TakeFromServer(ClientKey key, Upstream& upstream, std::uint64_t now);
    // Decides the datagram's fate and queues its copies.
    void Schedule(Direction direction, ClientKey client, const std::uint8_t* data, std::size_t size,
                  std::uint64_t now);
    void SendDue(std::uint64_t now);
    Upstream* UpstreamFor(const sockaddr_in& from, std::uint64_t now);
    void ForgetIdleClients(std::uint64_t now);

    Faults faults;
    std::mt19937 random;
    int listenSocket = -1;
    std::uint16_t listenPort = 0;
    sockaddr_in server {};
    std::map<ClientKey, Upstream> upstreams;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> pending;
    std::uint64_t nextOrder = 0;
    std::vector<std::uint8_t> buffer;
    Tap arrivedTap;
    Tap deliveredTap;

    mutable std::mutex countsLock;
    Counts counts;
};
