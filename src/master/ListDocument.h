#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "master/ServedBytes.h"
#include "master/ServerList.h"

// GET /servers.json: {"servers": [{"name", "address", "map", "mode",
// "players": [{"name", "score", "robot"}], "seats", "version"}, ...]}.
// Each listed server's object is kept as its registrations change it, so
// a remake only writes the tree and gzips it; it is remade only when
// something listed changed and at most kRemakeMs apart.
class ListDocument {
public:
    static constexpr std::int64_t kRemakeMs = 250;

    // Takes in what changed in the list since the last call.
    void Absorb(ServerList& list);
    const ServedBytes& Current(ServerList& list, std::int64_t nowMs);
    // One server's object in the list.
    static nlohmann::json EntryJson(const ServerList::Entry& entry);

private:
    void Put(std::uint64_t key, nlohmann::json server);
    void Drop(std::uint64_t key);
    void Publish(std::int64_t nowMs);

    // The servers' objects in no order: one leaves by taking the last one's place.
    nlohmann::json servers = nlohmann::json::array();
    std::vector<std::uint64_t> keys;                  // of servers, in their order
    std::unordered_map<std::uint64_t, std::size_t> at; // where each key's object is
    ServedBytes made;
    std::uint64_t madeVersion = 0;
    bool ever = false;
};
