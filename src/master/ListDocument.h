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
#include "master/ShownServer.h"

// The list's documents: GET /servers.json, {"servers": [{"name", "address",
// "map", "mode", "players": [{"name", "score", "robot"}], "seats",
// "version"}, ...]}, and the page of GET /. What each listed server shows
// is kept as its registrations change it. Both are remade only when
// something listed changed and at most kRemakeMs apart, on a thread of
// their own at a lower priority: writing and gzipping thousands of servers
// takes tens of milliseconds, which registrations never wait for.
// Meanwhile the last documents are served.
class ListDocument {
public:
    static constexpr std::int64_t kRemakeMs = 250;

    ~ListDocument();

    // Takes in what changed in the list since the last call.
    void Absorb(ServerList& list);
    const ServedBytes& Current(ServerList& list, std::int64_t nowMs);
    const ServedBytes& Page(ServerList& list, std::int64_t nowMs);
    // Waits for a remake on its way and takes it.
    void Settle();
private:
    struct Made {
        ServedBytes json;
        ServedBytes page;
    };

    void Refresh(ServerList& list, std::int64_t nowMs);
    void Put(std::uint64_t key, const ServerList::Entry& entry);
    void Drop(std::uint64_t key);
    void Adopt(bool wait);
    static Made Make(const ShownServers& servers, std::int64_t nowMs);
    static nlohmann::json ServerJson(const ShownServer& server);

    // The servers in no order: one leaves by taking the last one's place.
    // Only a remake's tree holds their objects, while it is written.
    ShownServers servers;
    std::vector<std::uint64_t> keys;                  // of servers, in their order
    std::unordered_map<std::uint64_t, std::size_t> at; // where each key's object is
    Made made;
    std::uint64_t madeVersion = 0;
    std::future<Made> remake;
    std::uint64_t remakeVersion = 0;
    std::int64_t startedMs = 0;
    bool ever = false;
};
