#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "master/Registration.h"

// The game servers this master knows, by address and game port. A server is
// listed only once it has proven its port: it registers, is sent a token
// there, and registers again with that token. A registration with another
// secret than the listed one is a new claim and must prove the port again,
// so a restarted server takes its place back while nobody else can.
class ServerList {
public:
    static constexpr std::int64_t kLifetimeMs = 30000;
    // One address may list this many ports, so that one host cannot fill the list.
    static constexpr int kMostPerAddress = 64;

    struct Entry {
        std::uint32_t address = 0; // host order
        int port = 0;
        Listing listing;
        std::string secret; // the proven owner's; empty while none is
        std::int64_t lastMs = 0;
        std::string claimSecret; // an unproven registration waiting for its token
        std::string token;
        std::int64_t claimMs = 0;
        bool Listed() const { return !secret.empty(); }
    };

    // Proven: listed by this very registration, which brought the token.
    enum class Verdict { Listed, Proven, Challenge, TooMany };
    struct Outcome {
        Verdict verdict;
        std::string token; // to send, with Challenge
    };
    using NewToken = std::function<std::string()>;

    explicit ServerList(NewToken newToken) : newToken(std::move(newToken)) {}

    Outcome Register(std::uint32_t address, const Registration& registration, std::int64_t nowMs);
    // Withdrawn: a claim ended, and whatever was listed stays.
    enum class Ending { Ended, Withdrawn, Unknown, WrongSecret };
    Ending Unregister(std::uint32_t address, int port, const std::string& secret);
    // Unlists what has not registered for kLifetimeMs, forgets stale claims.
    void Expire(std::int64_t nowMs);
    // Puts back a listed entry read from a saved state.
    void Restore(const Entry& entry);

    // Grows whenever what is listed changes.
    std::uint64_t Version() const { return version; }
    int ListedCount() const { return listed; }
    void ForEachListed(const std::function<void(const Entry&)>& visit) const;
    const Entry* Find(std::uint64_t key) const;
    // The keys whose listing changed, came or went since the last call.
    std::vector<std::uint64_t> TakeChanged() { return std::exchange(changed, {}); }

    static std::uint64_t KeyOf(std::uint32_t address, int port) { return std::uint64_t(address) << 16 | unsigned(port); }

private:
    Outcome Claim(Entry& entry, const Registration& registration, std::int64_t nowMs);
    void Erase(std::unordered_map<std::uint64_t, Entry>::iterator at);
    void Unlist(Entry& entry);
    void Changed(Entry& entry);

    NewToken newToken;
    std::unordered_map<std::uint64_t, Entry> entries;
    std::unordered_map<std::uint32_t, int> perAddress;
    std::vector<std::uint64_t> changed;
    std::uint64_t version = 0;
    int listed = 0;
};
