#include "master/ListDocument.h"

#include <memory>
#include <utility>

#include "master/AddressText.h"
#include "master/Gzip.h"

void ListDocument::Absorb(ServerList& list)
{
    for (const std::uint64_t key : list.TakeChanged()) {
        const ServerList::Entry* entry = list.Find(key);
        if (entry && entry->Listed())
            Put(key, EntryJson(*entry));
        else
            Drop(key);
    }
}

void ListDocument::Put(std::uint64_t key, nlohmann::json server)
{
    const auto [found, fresh] = at.try_emplace(key, keys.size());
    if (!fresh) {
        servers[found->second] = std::move(server);
        return;
    }
    servers.push_back(std::move(server));
    keys.push_back(key);
}

void ListDocument::Drop(std::uint64_t key)
{
    const auto found = at.find(key);
    if (found == at.end())
        return;
    const std::size_t index = found->second;
    at.erase(found);
    if (index + 1 != keys.size()) {
        servers[index] = std::move(servers.back());
        keys[index] = keys.back();
        at[keys[index]] = index;
    }
    servers.erase(servers.size() - 1);
    keys.pop_back();
}

const ServedBytes& ListDocument::Current(ServerList& list, std::int64_t nowMs)
{
    Absorb(list);
    if (!ever || (list.Version() != madeVersion && nowMs - made.madeMs >= kRemakeMs)) {
        Publish(nowMs);
        madeVersion = list.Version();
        ever = true;
    }
    return made;
}

nlohmann::json ListDocument::EntryJson(const ServerList::Entry& entry)
{
    using nlohmann::json;
    json players = json::array();
    for (const ListedPlayer& player : entry.listing.players)
        players.push_back({{"name", player.name}, {"score", player.score}, {"robot", player.robot}});
    return {{"name", entry.listing.name},
            {"address", AddressText(entry.address, entry.port)},
            {"map", entry.listing.map},
            {"mode", entry.listing.mode},
            {"players", std::move(players)},
            {"seats", entry.listing.seats},
            {"version", entry.listing.version}};
}

void ListDocument::Publish(std::int64_t nowMs)
{
    // The servers move into the document for its writing and back, never copied.
    nlohmann::json document = nlohmann::json::object();
    document["servers"] = std::move(servers);
    auto plain = std::make_shared<const std::string>(document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    servers = std::move(document["servers"]);
    made = {plain, std::make_shared<const std::string>(Gzip::Whole(*plain)), nowMs};
}
