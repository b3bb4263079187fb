#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/Discovery.h"

namespace platform {

// Measures the round trip to game servers with the host search they
// already answer on their game port: one search each, at most a few in
// flight, on a socket of its own that never blocks the caller.
class ServerPinger {
public:
    static constexpr std::size_t kMostAtOnce = 16;
    static constexpr std::uint32_t kWaitMs = 2000; // then the server counts as silent
    static constexpr int kSilent = -1;

    explicit ServerPinger(const Guid& application);
    ~ServerPinger();
    ServerPinger(const ServerPinger&) = delete;
    ServerPinger& operator=(const ServerPinger&) = delete;

    // Queues a ping to "a.b.c.d:port" unless one to it is queued or on its way.
    void Ask(const std::string& address);
    // Sends what may go and takes what came back: each finished ping as
    // (address, milliseconds or kSilent).
    std::vector<std::pair<std::string, int>> Poll();
    bool Idle() const { return waiting.empty() && flying.empty(); }

private:
    struct Flight {
        std::string address;
        std::uint32_t nonce;
        std::uint32_t sentAt;
    };
    void Launch();
    void Receive(std::vector<std::pair<std::string, int>>& done);
    void Finish(std::vector<std::pair<std::string, int>>& done, const std::string& address, int ms);

    Guid application;
    std::intptr_t socket;
    std::deque<std::string> waiting;
    std::vector<Flight> flying; // kMostAtOnce at most
    std::unordered_set<std::string> asked; // waiting or flying
};

} // namespace platform
