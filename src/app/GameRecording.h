#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "demo/DemoWriter.h"

class NetClient;
class NetMessage;
class World;

// The demo of the game being played: every payload the server sends and
// the own pilot's keys, into a new file of the demos folder once the
// server has named the map. Stopped, it keeps what it wrote.
class GameRecording {
public:
    // Taps the client's payloads until it goes.
    explicit GameRecording(NetClient& client);
    ~GameRecording();
    GameRecording(const GameRecording&) = delete;
    GameRecording& operator=(const GameRecording&) = delete;

    // Once a frame, with the control message just sent.
    void Update(World& world, const NetMessage& control, std::uint32_t now);
    void Stop();
    const std::string& Path() const { return path; }

private:
    void Open(World& world);

    NetClient& client;
    std::string folder;
    DemoWriter writer;
    std::string path;
    bool stopped = false;
};
