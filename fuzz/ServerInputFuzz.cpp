#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzedServer.h"

// Any bytes as what players send (joins, controls, chat, map and halt
// requests, server commands, or nothing that parses) from connections that come and go
// between ticks, straight into a server that opened no port. Nothing may
// crash, and only a player on the server's machine may halt it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GameServer& server = FuzzedServer();
    FuzzedDataProvider in(data, size);
    platform::PlayerId next = 1;
    bool anyLocal = false;
    const auto connect = [&] {
        // On the server's machine, whose map and halt requests count, or not.
        const bool local = in.ConsumeBool();
        anyLocal = anyLocal || local;
        server.OnPlayerJoinedFrom(next++, local ? 0x7f000001u : 0x0a000001u);
    };
    connect();
    while (in.remaining_bytes() > 0) {
        // Ids as the session hands them out: new ones counting up; the
        // payloads may name any of them, gone or never there.
        const auto id = in.ConsumeIntegralInRange<platform::PlayerId>(1, next);
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: connect(); break;
        case 1: server.OnPlayerLeft(id); break;
        case 2: server.Tick(in.ConsumeIntegralInRange<int>(1, 1000)); break;
        default: {
            const auto length = in.ConsumeIntegralInRange<std::size_t>(0, 4096);
            const std::vector<std::uint8_t> payload = in.ConsumeBytes<std::uint8_t>(length);
            server.OnReceive(id, payload.data(), payload.size());
            break;
        }
        }
    }
    server.Tick(16);
    if (server.HaltRequested() && !anyLocal)
        __builtin_trap();
    server.Reset();
    return 0;
}
