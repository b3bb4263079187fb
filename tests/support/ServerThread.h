#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/NetMessage.h"
#include "server/GameServer.h"
#include "server/ServerLog.h"
#include "support/ClientWorld.h"
#include "support/TempDir.h"

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
        stop = true;
        if (thread.joinable())
            thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

// The real server on a thread of its own, its maps read from the game's
// data, and the player's real network client joining it over loopback.
class ServerSessionTest : public ClientWorldTest {
protected:
    void SetUp() override
    {
        ClientWorldTest::SetUp();
        inData = std::make_unique<ScopedWorkingDir>(QR_DATA_DIR);
    }
    void TearDown() override
    {
        server.reset();
        inData.reset();
        ClientWorldTest::TearDown();
    }

    void StartServer(const ServerOptions& options)
    {
        server = std::make_unique<ServerThread>(options, QR_DATA_DIR);
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
    }

    // A turn of a game: the held keys out, the server's news in.
    void Turn() override
    {
        NetMessage control;
        control.SetControl(local->GetId(), held.data(), static_cast<int>(held.size()));
        client->Send(control);
        ClientWorldTest::Turn();
    }

    // Joined once the player's ship is given an id and spawned.
    bool Join(const char* name, std::uint16_t port, std::uint32_t ms = 3000)
    {
        return JoinHost(name, port) && WorkUntil([&] { return local->GetId() != 0 && local->IsAlive(); }, ms);
    }

    std::vector<std::int32_t> held = {0};
    std::unique_ptr<ScopedWorkingDir> inData;
    std::unique_ptr<ServerThread> server;
};
