#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/SessionServer.h"

class NetMessage;

// A session host serviced on a thread of its own, so that a test's player
// side may make its synchronous calls against it. What the host hears is
// recorded; Run hands work to the host's thread and waits for it.
class HostThread : public platform::SessionServerListener {
public:
    HostThread(const std::string& name, std::uint32_t maxPlayers, std::uint16_t port);
    ~HostThread() override;

    bool Hosting() const { return hosting; }
    void Run(std::function<void(platform::SessionServer&)> work);
    // Sends the messages as one payload to the player who joined first.
    void SendToFirst(const std::vector<const NetMessage*>& messages, platform::Delivery delivery);
    // Holds the host's thread for the time given, as a hung host would;
    // returns once the hold has begun, with the thread that holds it.
    std::thread Stall(std::chrono::milliseconds time);

    std::vector<platform::PlayerId> Joined();
    std::vector<std::vector<std::uint8_t>> Received();
    // Waits until something was received, up to a time-out.
    bool WaitForReceived(std::size_t count, int timeoutMs);

    void OnPlayerJoined(platform::PlayerId player, bool watching) override;
    void OnPlayerLeft(platform::PlayerId player) override;
    void OnReceive(platform::PlayerId player, const std::uint8_t* data, std::size_t size) override;

private:
    void Loop();

    platform::SessionServer server;
    std::atomic<bool> hosting{false};
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::function<void(platform::SessionServer&)>> tasks;
    std::vector<platform::PlayerId> joined;
    std::vector<std::vector<std::uint8_t>> received;
    std::thread thread;
};

// The front-end and game loops insist on the game's own port; this holds it
// for one test at a time, across the test processes that run side by side
// in one network namespace.
class GamePortLock {
public:
    GamePortLock();
    ~GamePortLock();
    GamePortLock(const GamePortLock&) = delete;
    GamePortLock& operator=(const GamePortLock&) = delete;

private:
    int fd;
};
