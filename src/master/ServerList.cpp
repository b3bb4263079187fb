#include "master/ServerList.h"

ServerList::Outcome ServerList::Register(std::uint32_t address, const Registration& registration, std::int64_t nowMs)
{
    auto at = entries.find(KeyOf(address, registration.port));
    if (at == entries.end()) {
        int& count = perAddress[address];
        if (count >= kMostPerAddress)
            return {Verdict::TooMany, {}};
        ++count;
        Entry fresh;
        fresh.address = address;
        fresh.port = registration.port;
        at = entries.emplace(KeyOf(address, registration.port), std::move(fresh)).first;
    }
    Entry& entry = at->second;
    if (entry.Listed() && registration.secret == entry.secret) {
        if (!(entry.listing == registration.listing)) {
            entry.listing = registration.listing;
            Changed(entry);
        }
        entry.lastMs = nowMs;
        return {Verdict::Listed, {}};
    }
    return Claim(entry, registration, nowMs);
}

ServerList::Outcome ServerList::Claim(Entry& entry, const Registration& registration, std::int64_t nowMs)
{
    const bool proves = !entry.token.empty() && registration.token == entry.token &&
                        registration.secret == entry.claimSecret;
    if (proves) {
        if (!entry.Listed())
            ++listed;
        entry.secret = registration.secret;
        entry.listing = registration.listing;
        entry.lastMs = nowMs;
        entry.claimSecret.clear();
        entry.token.clear();
        Changed(entry);
        return {Verdict::Proven, {}};
    }
    // The same claimant asking again is sent the same token, so that a
    // challenge still on its way is not made worthless.
    if (entry.token.empty() || registration.secret != entry.claimSecret) {
        entry.claimSecret = registration.secret;
        entry.token = newToken();
    }
    entry.claimMs = nowMs;
    return {Verdict::Challenge, entry.token};
}

ServerList::Ending ServerList::Unregister(std::uint32_t address, int port, const std::string& secret)
{
    const auto at = entries.find(KeyOf(address, port));
    if (at == entries.end())
        return Ending::Unknown;
    Entry& entry = at->second;
    if (entry.Listed() && secret == entry.secret) {
        Erase(at);
        return Ending::Ended;
    }
    if (!entry.token.empty() && secret == entry.claimSecret) {
        entry.claimSecret.clear();
        entry.token.clear();
        if (!entry.Listed())
            Erase(at);
        return Ending::Withdrawn;
    }
    return Ending::WrongSecret;
}

void ServerList::Expire(std::int64_t nowMs)
{
    for (auto at = entries.begin(); at != entries.end();) {
        Entry& entry = at->second;
        if (entry.Listed() && nowMs - entry.lastMs > kLifetimeMs)
            Unlist(entry);
        if (!entry.token.empty() && nowMs - entry.claimMs > kLifetimeMs) {
            entry.claimSecret.clear();
            entry.token.clear();
        }
        if (entry.Listed() || !entry.token.empty()) {
            ++at;
            continue;
        }
        const auto next = std::next(at);
        Erase(at);
        at = next;
    }
}

void ServerList::Restore(const Entry& entry)
{
    const std::uint64_t key = KeyOf(entry.address, entry.port);
    if (entry.secret.empty() || entries.count(key) || perAddress[entry.address] >= kMostPerAddress)
        return;
    Entry& restored = entries.emplace(key, entry).first->second;
    restored.claimSecret.clear();
    restored.token.clear();
    ++perAddress[entry.address];
    ++listed;
    Changed(restored);
}

void ServerList::ForEachListed(const std::function<void(const Entry&)>& visit) const
{
    for (const auto& [key, entry] : entries)
        if (entry.Listed())
            visit(entry);
}

void ServerList::Unlist(Entry& entry)
{
    entry.secret.clear();
    --listed;
    Changed(entry);
}

void ServerList::Changed(Entry& entry)
{
    ++version;
    changed.push_back(KeyOf(entry.address, entry.port));
}

const ServerList::Entry* ServerList::Find(std::uint64_t key) const
{
    const auto at = entries.find(key);
    return at == entries.end() ? nullptr : &at->second;
}

void ServerList::Erase(std::unordered_map<std::uint64_t, Entry>::iterator at)
{
    if (at->second.Listed())
        Unlist(at->second);
    const std::uint32_t address = at->second.address;
    if (--perAddress[address] == 0)
        perAddress.erase(address);
    entries.erase(at);
}
