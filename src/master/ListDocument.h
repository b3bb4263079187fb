#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "master/Gzip.h"
#include "master/ServedBytes.h"
#include "master/ServerList.h"

// GET /servers.json: {"servers": [{"name", "address", "map", "mode",
// "players": [{"name", "score", "robot"}], "seats", "version"}, ...]}.
// Joined only when something listed changed and at most kRemakeMs apart.
// Joining must not stall registrations, so the servers are kept in
// buckets, each written and compressed on its own as its servers change;
// a remake only joins the pieces.
class ListDocument {
public:
    static constexpr std::int64_t kRemakeMs = 250;
    static constexpr std::size_t kBuckets = 1024;

    ListDocument();
    // Takes in what changed in the list since the last call.
    void Absorb(ServerList& list);
    // Players' programs ask for gzip: the plain form is joined only when
    // someone asks for it.
    const ServedBytes& Current(ServerList& list, std::int64_t nowMs, bool plain);
    // One server's object in the list.
    static std::string EntryJson(const ServerList::Entry& entry);

private:
    struct Bucket {
        std::map<std::uint64_t, std::string> servers; // by key, as written
        std::string plain;                            // each server behind a comma
        Gzip::Piece piece;
    };
    void Publish(std::int64_t nowMs);
    void JoinPlain();

    std::vector<Bucket> buckets;
    Gzip::Piece tail;
    ServedBytes made;
    std::uint64_t madeVersion = 0;
    bool ever = false;
};
