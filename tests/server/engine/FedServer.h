#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "net/NetMessage.h"
#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"

using Lines = std::vector<std::string>;

// What a log wrote into the file since read, without the time stamps.
inline Lines LoggedSince(std::FILE* file, long& read)
{
    std::fflush(file);
    std::fseek(file, read, SEEK_SET);
    Lines lines;
    char line[1100];
    while (std::fgets(line, sizeof line, file)) {
        const std::string text(line);
        lines.push_back(text.substr(24, text.size() - 25));
    }
    read = std::ftell(file);
    return lines;
}

inline bool AnyHas(const Lines& lines, const std::string& text)
{
    return std::ranges::any_of(lines, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// A server that opened no port, players fed to it by hand as the network
// would hand them on, its log read back line by line.
class FedServer : public ::testing::Test {
protected:
    static ServerOptions Options()
    {
        ServerOptions options;
        options.maps = {"Arena", "Warren"};
        return options;
    }
    // The reason when the server does not start.
    std::string Start(const ServerOptions& options)
    {
        server = std::make_unique<GameServer>(options, QR_DATA_DIR, log);
        std::string error;
        server->StartUnhosted(error);
        return error;
    }

    Lines Since() { return LoggedSince(file.get(), read); }
    // The operator's line, and what it was answered.
    Lines Typed(const std::string& line)
    {
        server->Operate(line);
        return Since();
    }
    void Send(platform::PlayerId id, const NetMessage& message)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
        message.Serialize(bytes.data(), message.WireSize());
        server->OnReceive(id, bytes.data(), bytes.size());
    }
    void Connect(platform::PlayerId id, std::uint32_t address, const char* name)
    {
        server->OnPlayerJoinedFrom(id, address);
        NetMessage join;
        join.SetJoin(0, 1, name);
        Send(id, join);
    }
    void Play(int ticks)
    {
        for (int tick = 0; tick < ticks; ++tick)
            server->Tick(16);
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file {std::tmpfile(), std::fclose};
    long read = 0;
    ServerLog log {file.get()};
    std::unique_ptr<GameServer> server;
};
