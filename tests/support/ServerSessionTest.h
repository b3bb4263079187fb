#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/NetMessage.h"
#include "support/ClientWorld.h"
#include "support/ServerThread.h"
#include "support/TempDir.h"

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

    // A turn of a game: the held keys out, the server's news in. As in the
    // game, the own ship is the world's first, and a watcher has none: the
    // one this side began with may be gone.
    void Turn() override
    {
        if (!client->IsWatching()) {
            const Ship* own = world->FirstShip();
            NetMessage control;
            control.SetControl(own ? own->GetId() : 0, held.data(), static_cast<int>(held.size()));
            client->Send(control);
        }
        ClientWorldTest::Turn();
    }

    // Joined once the player's ship is given an id and spawned.
    bool Join(const char* name, std::uint16_t port, std::uint32_t ms = 9000)
    {
        return JoinHost(name, port) && WorkUntil([&] { return local->GetId() != 0 && local->IsAlive(); }, ms);
    }

    std::vector<std::int32_t> held = {0};
    std::unique_ptr<ScopedWorkingDir> inData;
    std::unique_ptr<ServerThread> server;
};
