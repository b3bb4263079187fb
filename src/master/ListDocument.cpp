#include "master/ListDocument.h"

#include <nlohmann/json.hpp>

#include "master/AddressText.h"
#include "master/Gzip.h"

const ListDocument::Made& ListDocument::Current(const ServerList& list, std::int64_t nowMs)
{
    const bool stale = !ever || (list.Version() != madeVersion && nowMs - made.madeMs >= kRemakeMs);
    if (!stale)
        return made;
    auto plain = std::make_shared<const std::string>(render(list));
    made = {plain, std::make_shared<const std::string>(Gzip(*plain)), nowMs};
    madeVersion = list.Version();
    ever = true;
    return made;
}

std::string ListDocument::Json(const ServerList& list)
{
    using nlohmann::json;
    json servers = json::array();
    list.ForEachListed([&](const ServerList::Entry& entry) {
        json players = json::array();
        for (const ListedPlayer& player : entry.listing.players)
            players.push_back({{"name", player.name}, {"score", player.score}, {"robot", player.robot}});
        servers.push_back({{"name", entry.listing.name},
                           {"address", AddressText(entry.address, entry.port)},
                           {"map", entry.listing.map},
                           {"mode", entry.listing.mode},
                           {"players", std::move(players)},
                           {"seats", entry.listing.seats},
                           {"version", entry.listing.version}});
    });
    return json {{"servers", std::move(servers)}}.dump();
}
