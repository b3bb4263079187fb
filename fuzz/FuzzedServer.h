#pragma once

#include <memory>
#include <string>

#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"

// One server with robots that opened no port, for the whole run of a
// target, which resets it after each input: building a game takes longer
// than most inputs take to run. After the reset an input has freed what it
// made, so libFuzzer's leak check (run after an input that freed less than
// it allocated) stays for real leaks.
inline GameServer& FuzzedServer()
{
    static const std::unique_ptr<GameServer> server = [] {
        static ServerLog quiet(nullptr);
        ServerOptions options;
        options.maps = {"Arena", "Warren"};
        options.maxPlayers = 4;
        options.bots = 2;
        options.seed = 1;
        auto made = std::make_unique<GameServer>(options, QR_DATA_DIR, quiet);
        std::string error;
        if (!made->StartUnhosted(error))
            __builtin_trap();
        return made;
    }();
    return *server;
}
