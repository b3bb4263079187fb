#pragma once

#include <arpa/inet.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "master/ChallengeSocket.h"
#include "master/HttpFront.h"
#include "master/Master.h"
#include "master/MasterClock.h"
#include "master/MasterLog.h"
#include "platform/HttpClient.h"

// Wall time, moved on by a test that will not wait for expiry.
class ShiftedClock : public MasterClock {
public:
    std::int64_t NowMs() const override { return MasterClock::NowMs() + shiftMs.load(); }
    void Advance(std::int64_t ms) { shiftMs += ms; }

private:
    std::atomic<std::int64_t> shiftMs{0};
};

// The real master on a loopback port: its HTTP front, its UDP challenges
// and its expiry, run by a thread of its own as the program's loop runs it.
class LiveMaster {
public:
    LiveMaster()
    {
        const sockaddr_in where{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        std::string why;
        started = challenges.Open() && front.Start(where, {}, why);
        if (started)
            loop = std::thread([this] {
                while (!stop) {
                    front.Poll(20);
                    master.Tick();
                }
            });
    }
    ~LiveMaster()
    {
        stop = true;
        if (loop.joinable())
            loop.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(front.Port()); }
    // Expiry comes with the loop's next turn.
    void Advance(std::int64_t ms) { clock.Advance(ms); }

    // GET /servers.json's "servers"; an empty list when it does not answer.
    nlohmann::json Servers() const
    {
        const platform::HttpReply reply =
            platform::HttpCall("127.0.0.1", front.Port(), "GET", "/servers.json", "", 2000);
        const nlohmann::json list = nlohmann::json::parse(reply.body, nullptr, false);
        return list.is_object() && list.contains("servers") ? list["servers"] : nlohmann::json::array();
    }
    // The listed entry at the port, or null.
    nlohmann::json Find(std::uint16_t port) const
    {
        for (const nlohmann::json& server : Servers()) {
            if (server.value("address", "") == "127.0.0.1:" + std::to_string(port))
                return server;
        }
        return nullptr;
    }
    // Asks until check holds or the wait ends; whether it held.
    template <typename Check>
    bool Within(std::chrono::milliseconds wait, Check check) const
    {
        const auto end = std::chrono::steady_clock::now() + wait;
        while (!check()) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return true;
    }

    bool started = false;

private:
    ShiftedClock clock;
    ChallengeSocket challenges;
    MasterLog log{nullptr, clock};
    Master master{clock, challenges, log, {}};
    HttpFront front{[this](std::uint32_t address) { return master.Admits(address); },
                    [this](const HttpAsk& ask) { return master.Handle(ask); }};
    std::atomic<bool> stop{false};
    std::thread loop;
};
