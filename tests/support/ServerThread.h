#pragma once

#include <atomic>
#include <csignal>
#include <cstdint>
#include <string>
#include <thread>

#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"

// Made before the server that writes to it.
struct QuietServerLog {
    ServerLog quiet{nullptr};
};

// The game server on a thread of its own from Start until Stop, its log
// going nowhere; a test reads it from its own thread as a watcher would.
class ServerThread : private QuietServerLog, public GameServer {
public:
    ServerThread(const ServerOptions& options, const std::string& dataDir) : GameServer(options, dataDir, quiet) {}
    ~ServerThread() override { Stop(); }

    // One endless round on Arena with two of the easiest robots: no round
    // ends and puts every ship out while a test watches one, and the
    // watched ship mostly lives to be watched.
    static ServerOptions EndlessArena(std::uint16_t port, const char* name, int maxPlayers)
    {
        ServerOptions options;
        options.port = port;
        options.name = name;
        options.maxPlayers = maxPlayers;
        options.bots = 2;
        options.botSkill = 1;
        options.maps = {"Arena"};
        options.roundMinutes = 0.0;
        options.scoreLimit = 126;
        return options;
    }

    bool Start(std::string& error)
    {
        if (!GameServer::Start(error))
            return false;
        thread = std::thread([this] { Run(stop); });
        return true;
    }

    void Stop()
    {
        stop = SIGTERM;
        if (thread.joinable())
            thread.join();
    }

private:
    std::atomic<int> stop{0};
    std::thread thread;
};
