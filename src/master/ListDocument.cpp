#include "master/ListDocument.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "master/AddressText.h"

namespace {

constexpr const char* kHead = "{\"servers\":[";
constexpr const char* kTail = "]}";

std::uint64_t Mixed(std::uint64_t value)
{
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdull;
    value ^= value >> 33;
    value *= 0xc4ceb9fe1a85ec53ull;
    return value ^ (value >> 33);
}

} // namespace

ListDocument::ListDocument() : buckets(kBuckets), tail(Gzip::Pack(kTail)) {}

void ListDocument::Absorb(ServerList& list)
{
    std::vector<std::size_t> touched;
    for (const std::uint64_t key : list.TakeChanged()) {
        const std::size_t at = Mixed(key) % kBuckets;
        const ServerList::Entry* entry = list.Find(key);
        if (entry && entry->Listed())
            buckets[at].servers[key] = EntryJson(*entry);
        else
            buckets[at].servers.erase(key);
        touched.push_back(at);
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (const std::size_t at : touched) {
        Bucket& bucket = buckets[at];
        bucket.plain.clear();
        for (const auto& [key, text] : bucket.servers)
            bucket.plain.append(",").append(text);
        bucket.piece = Gzip::Pack(bucket.plain);
    }
}

const ServedBytes& ListDocument::Current(ServerList& list, std::int64_t nowMs, bool plain)
{
    Absorb(list);
    if (!ever || (list.Version() != madeVersion && nowMs - made.madeMs >= kRemakeMs)) {
        Publish(nowMs);
        madeVersion = list.Version();
        ever = true;
    }
    if (plain && !made.plain)
        JoinPlain();
    return made;
}

std::string ListDocument::EntryJson(const ServerList::Entry& entry)
{
    using nlohmann::json;
    json players = json::array();
    for (const ListedPlayer& player : entry.listing.players)
        players.push_back({{"name", player.name}, {"score", player.score}, {"robot", player.robot}});
    return json {{"name", entry.listing.name},
                 {"address", AddressText(entry.address, entry.port)},
                 {"map", entry.listing.map},
                 {"mode", entry.listing.mode},
                 {"players", std::move(players)},
                 {"seats", entry.listing.seats},
                 {"version", entry.listing.version}}
        .dump();
}

void ListDocument::Publish(std::int64_t nowMs)
{
    // The first server goes without its comma, in a head piece of its own.
    std::vector<const Gzip::Piece*> pieces;
    Gzip::Piece head;
    for (const Bucket& bucket : buckets) {
        if (bucket.plain.empty())
            continue;
        if (pieces.empty()) {
            head = Gzip::Pack(std::string(kHead) + bucket.plain.substr(1));
            pieces.push_back(&head);
        } else {
            pieces.push_back(&bucket.piece);
        }
    }
    if (pieces.empty()) {
        head = Gzip::Pack(kHead);
        pieces.push_back(&head);
    }
    pieces.push_back(&tail);
    made = {nullptr, std::make_shared<const std::string>(Gzip::Join(pieces)), nowMs};
}

void ListDocument::JoinPlain()
{
    std::size_t size = 16;
    for (const Bucket& bucket : buckets)
        size += bucket.plain.size();
    std::string plain = kHead;
    plain.reserve(size);
    bool first = true;
    for (const Bucket& bucket : buckets) {
        if (bucket.plain.empty())
            continue;
        plain.append(bucket.plain, first ? 1 : 0);
        first = false;
    }
    made.plain = std::make_shared<const std::string>(plain + kTail);
}
