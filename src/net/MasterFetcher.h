#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/ListedServer.h"

// Fetches the server list from the masters on threads of its own, so the
// screen never waits: every master is asked at once, each on its own
// thread, and the freshest list that came is taken; a master that is dead,
// slow or wrong only leaves its list out. The screen takes the outcome
// when it is ready.
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
    // Cancels a fetch on its way without waiting for it: a host name's
    // lookup cannot be cut short, and ends into the fetch's own state.
    ~MasterFetcher();
    MasterFetcher(const MasterFetcher&) = delete;
    MasterFetcher& operator=(const MasterFetcher&) = delete;

    // Starts a fetch unless one is on its way.
    void Start();
    bool Busy() const;
    // The outcome of the last fetch, once, when it has ended.
    std::optional<Outcome> Take();

    // When a list was made, in seconds since 1970, from its Age header by
    // our own clock (receivedAt), or else its Last-Modified by the
    // master's; nothing when it says neither.
    static std::optional<std::int64_t> MadeAt(long ageSeconds, const std::string& lastModified,
                                              std::int64_t receivedAt);

private:
    struct Shared;
    // One master's answer.
    struct Fetched {
        bool listed = false;
        std::vector<ListedServer> servers;
        std::optional<std::int64_t> madeAt;
        bool cut = false; // past what is read: the servers before the cut
        std::string error;
    };

    static Outcome FetchAll(const Shared& shared);
    static Fetched FetchOne(const Shared& shared, const std::string& url);

    // Shared with the fetch on its way, which may outlive this.
    std::shared_ptr<Shared> shared;
};
