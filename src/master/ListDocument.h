#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "master/ServedBytes.h"
#include "master/ServerList.h"

// GET /servers.json: {"servers": [{"name", "address", "map", "mode",
// "players": [{"name", "score", "robot"}], "seats", "version"}, ...]}.
// What each listed server shows is kept as its registrations change it. It
// is remade only when something listed changed and at most kRemakeMs
// apart, on a thread of its own at a lower priority: writing and gzipping
// thousands of servers takes tens of milliseconds, which registrations
// never wait for. Meanwhile the last document is served.
class ListDocument {
public:
    static constexpr std::int64_t kRemakeMs = 250;

    ~ListDocument();

    // Takes in what changed in the list since the last call.
    void Absorb(ServerList& list);
    const ServedBytes& Current(ServerList& list, std::int64_t nowMs);
    // Waits for a remake on its way and takes it.
    void Settle();
private:
    // A listed server as the list shows it; shared with a remake on its way.
    struct Shown {
        std::uint32_t address;
        int port;
        Listing listing;
    };
    using Servers = std::vector<std::shared_ptr<const Shown>>;

    void Put(std::uint64_t key, const ServerList::Entry& entry);
    void Drop(std::uint64_t key);
    void Adopt(bool wait);
    static ServedBytes Make(const Servers& servers, std::int64_t nowMs);
    static nlohmann::json ServerJson(const Shown& server);

    // The servers in no order: one leaves by taking the last one's place.
    // Only a remake's tree holds their objects, while it is written.
    Servers servers;
    std::vector<std::uint64_t> keys;                  // of servers, in their order
    std::unordered_map<std::uint64_t, std::size_t> at; // where each key's object is
    ServedBytes made;
    std::uint64_t madeVersion = 0;
    std::future<ServedBytes> remake;
    std::uint64_t remakeVersion = 0;
    std::int64_t startedMs = 0;
    bool ever = false;
};
