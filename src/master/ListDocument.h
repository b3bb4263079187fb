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
// Each listed server's object is kept as its registrations change it. It
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
    // One server's object in the list.
    static nlohmann::json EntryJson(const ServerList::Entry& entry);

private:
    using Servers = std::vector<std::shared_ptr<const nlohmann::json>>;

    void Put(std::uint64_t key, nlohmann::json server);
    void Drop(std::uint64_t key);
    void Adopt(bool wait);
    static ServedBytes Make(const Servers& servers, std::int64_t nowMs);

    // The servers' objects in no order: one leaves by taking the last
    // one's place. A remake holds on to the objects it writes.
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
