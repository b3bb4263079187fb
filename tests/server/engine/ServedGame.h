#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "support/Keys.h"
#include "support/ServerSessionTest.h"

// The real server under the test's own name and port, on Arena and Warren
// in turn, and the player's real client.
class ServedGame : public ServerSessionTest {
protected:
    ServedGame(std::uint16_t portBase, const char* name) : port(TestPort(portBase)), name(name) {}

    ServerOptions Options(int maxPlayers = 4, int bots = 0) const
    {
        ServerOptions options;
        options.port = port;
        options.name = name;
        options.maxPlayers = maxPlayers;
        options.bots = bots;
        options.maps = {"Arena", "Warren"};
        return options;
    }
    bool Join() { return ServerSessionTest::Join(name, port); }
    static std::string FileText(const std::string& path)
    {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    const std::uint16_t port;
    const char* const name;
};
