#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "master/ChallengeSender.h"
#include "master/Master.h"
#include "master/MasterClock.h"

// A clock that moves only when a test moves it. Its steady time starts
// far from the wall's, as after a boot; the wall may be set apart.
class ManualClock : public MasterClock {
public:
    explicit ManualClock(std::int64_t steadyStartMs = 4000000)
        : nowMs(steadyStartMs), wallAheadMs(1796000000000 - steadyStartMs)
    {
    }
    std::int64_t NowMs() const override { return nowMs; }
    std::int64_t WallMs() const override { return nowMs + wallAheadMs; }
    void Advance(std::int64_t ms) { nowMs += ms; }
    void SetWall(std::int64_t ms) { wallAheadMs = ms - nowMs; }

private:
    std::int64_t nowMs;
    std::int64_t wallAheadMs;
};

// Challenges kept instead of sent.
struct RecordedChallenges : ChallengeSender {
    struct Sent {
        std::uint32_t address;
        int port;
        std::string token;
    };
    void Send(std::uint32_t address, int port, const std::string& token) override
    {
        sent.push_back({address, port, token});
    }
    std::vector<Sent> sent;
};

constexpr std::uint32_t kServerAddress = 0xcb007107; // 203.0.113.7

inline nlohmann::json Description(const std::string& name = "Friday Night", int port = 3001)
{
    return {{"name", name},
            {"port", port},
            {"map", "Arena"},
            {"mode", "dm"},
            {"players", {{{"name", "Ace"}, {"score", 4}, {"robot", true}}, {{"name", "Kim"}, {"score", 7}}}},
            {"seats", 8},
            {"version", "0.9.0"},
            {"password", false},
            {"secret", "s3cret-of-server-one"}};
}

// A master on a manual clock whose challenges are recorded.
struct MasterRig {
    explicit MasterRig(Master::Settings settings = {}) : master(clock, challenges, log, std::move(settings)) {}

    HttpAnswer Post(const std::string& path, const std::string& body, std::uint32_t from = kServerAddress)
    {
        return master.Handle({"POST", path, from, body, false, false});
    }
    HttpAnswer Get(const std::string& path, bool gzip = false)
    {
        return master.Handle({"GET", path, 0x7f000001, "", false, gzip});
    }
    // Registers, answers the challenge with its token, and returns the last answer.
    HttpAnswer List(nlohmann::json description, std::uint32_t from = kServerAddress)
    {
        const HttpAnswer first = Post("/register", description.dump(), from);
        if (first.status != 202 || challenges.sent.empty())
            return first;
        description["token"] = challenges.sent.back().token;
        return Post("/register", description.dump(), from);
    }
    // The list as served once the document may have been remade: the
    // first request starts the remake, the next gets it.
    HttpAnswer Remade(bool gzip = false)
    {
        clock.Advance(ListDocument::kRemakeMs);
        Get("/servers.json", gzip);
        master.SettleList();
        return Get("/servers.json", gzip);
    }
    nlohmann::json Servers() { return nlohmann::json::parse(*Remade().body)["servers"]; }

    ManualClock clock;
    RecordedChallenges challenges;
    MasterLog log {nullptr, clock};
    Master master;
};
