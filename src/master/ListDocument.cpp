#include "master/ListDocument.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <utility>

#include "master/AddressText.h"
#include "master/Gzip.h"
#include "master/ListPage.h"

void ListDocument::Absorb(ServerList& list)
{
    for (const std::uint64_t key : list.TakeChanged()) {
        const ServerList::Entry* entry = list.Find(key);
        if (entry && entry->Listed())
            Put(key, *entry);
        else
            Drop(key);
    }
}

void ListDocument::Put(std::uint64_t key, const ServerList::Entry& entry)
{
    const auto [found, fresh] = at.try_emplace(key, keys.size());
    auto shared = std::make_shared<const ShownServer>(ShownServer {entry.address, entry.port, entry.listing});
    if (!fresh) {
        servers[found->second] = std::move(shared);
        return;
    }
    servers.push_back(std::move(shared));
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
    servers.pop_back();
    keys.pop_back();
}

ListDocument::~ListDocument()
{
    Settle();
}

const ServedBytes& ListDocument::Current(ServerList& list, std::int64_t nowMs)
{
    Refresh(list, nowMs);
    return made.json;
}

const ServedBytes& ListDocument::Page(ServerList& list, std::int64_t nowMs)
{
    Refresh(list, nowMs);
    return made.page;
}

void ListDocument::Refresh(ServerList& list, std::int64_t nowMs)
{
    Absorb(list);
    Adopt(false);
    if (!ever) {
        made = Make(servers, nowMs);
        madeVersion = list.Version();
        startedMs = nowMs;
        ever = true;
    } else if (list.Version() != madeVersion && !remake.valid() && nowMs - startedMs >= kRemakeMs) {
        remakeVersion = list.Version();
        startedMs = nowMs;
        remake = std::async(std::launch::async, [snapshot = servers, nowMs] {
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
            Made made = Make(snapshot, nowMs);
            // The tree was built in this thread's own heap: give it back
            // rather than keep tens of megabytes until the next remake.
            ::malloc_trim(0);
            return made;
        });
    }
}

void ListDocument::Settle()
{
    Adopt(true);
}

void ListDocument::Adopt(bool wait)
{
    if (!remake.valid() || (!wait && remake.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
        return;
    made = remake.get();
    madeVersion = remakeVersion;
}

nlohmann::json ListDocument::ServerJson(const ShownServer& server)
{
    using nlohmann::json;
    json players = json::array();
    for (const ListedPlayer& player : server.listing.players)
        players.push_back({{"name", player.name}, {"score", player.score}, {"robot", player.robot}});
    return {{"name", server.listing.name},
            {"address", AddressText(server.address, server.port)},
            {"map", server.listing.map},
            {"mode", server.listing.mode},
            {"players", std::move(players)},
            {"seats", server.listing.seats},
            {"version", server.listing.version}};
}

ListDocument::Made ListDocument::Make(const ShownServers& servers, std::int64_t nowMs)
{
    // Written a server at a time: a tree of the whole list would cost tens
    // of megabytes while it is made.
    std::string text = R"({"servers":[)";
    for (const auto& server : servers) {
        if (text.back() != '[')
            text += ',';
        text += ServerJson(*server).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    text += "]}";
    auto plain = std::make_shared<const std::string>(std::move(text));
    auto page = std::make_shared<const std::string>(ListPage::Render(servers));
    return {{plain, std::make_shared<const std::string>(Gzip::Whole(*plain)), nowMs},
            {page, std::make_shared<const std::string>(Gzip::Whole(*page)), nowMs}};
}
