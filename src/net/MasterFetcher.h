#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/ListedServer.h"

// Fetches the server list from the masters on a thread of its own, so the
// screen never waits: the masters are asked in order until one answers
// with a list, and the screen takes the outcome when it is ready.
class MasterFetcher {
public:
    static constexpr int kTimeoutMs = 5000; // per master: a slow one is given up

    struct Outcome {
        bool listed = false;
        std::vector<ListedServer> servers;
        // What the screen says: which master listed, or why none did.
        std::string notice;
    };

    explicit MasterFetcher(std::vector<std::string> masters, int timeoutMs = kTimeoutMs);
    // Cancels a fetch on its way and waits for its thread.
    ~MasterFetcher();
    MasterFetcher(const MasterFetcher&) = delete;
    MasterFetcher& operator=(const MasterFetcher&) = delete;

    // Starts a fetch unless one is on its way.
    void Start();
    bool Busy() const;
    // The outcome of the last fetch, once, when it has ended.
    std::optional<Outcome> Take();

private:
    Outcome FetchAll() const;
    bool FetchOne(const std::string& url, Outcome& outcome, std::string& error) const;

    std::vector<std::string> masters;
    int timeoutMs;
    int cancel;
    std::thread worker;
    mutable std::mutex lock;
    bool running = false;
    std::optional<Outcome> ready;
};
