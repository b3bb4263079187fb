#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzedServer.h"
#include "net/NetMessage.h"
#include "platform/LineReader.h"

namespace {

void Join(GameServer& server, platform::PlayerId id, std::uint32_t address, const char* name)
{
    server.OnPlayerJoinedFrom(id, address);
    NetMessage join;
    join.SetJoin(0, 1, name);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(join.WireSize()));
    join.Serialize(bytes.data(), join.WireSize());
    server.OnReceive(id, bytes.data(), bytes.size());
}

} // namespace

// Any bytes as what an operator pipes into the server's standard input, in
// pieces of changing size, each line run as the operator's command on a
// server with robots and two players that opened no port. Nothing may
// crash, and no line the reader gives is longer than its limit.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GameServer& server = FuzzedServer();
    Join(server, 1, 0x7f000001u, "Pilot");
    Join(server, 2, 0x0a000001u, "Far");

    int ends[2];
    if (::pipe(ends) != 0) {
        server.Reset();
        return 0;
    }
    platform::LineReader reader(ends[0]);
    const auto drain = [&] {
        std::string line;
        for (platform::LineReader::Got got; (got = reader.Next(line)) != platform::LineReader::Got::Nothing;) {
            if (got == platform::LineReader::Got::Line) {
                if (line.size() > platform::LineReader::kLongestLine || line.find('\n') != std::string::npos)
                    __builtin_trap();
                server.Operate(line);
            }
        }
    };
    // Pieces of 1 to 64 bytes, less than a pipe holds, so no write waits.
    std::uint32_t pieces = static_cast<std::uint32_t>(size) | 1u;
    for (std::size_t done = 0; done < size;) {
        pieces = pieces * 1103515245u + 12345u;
        const std::size_t piece = std::min<std::size_t>(size - done, 1 + (pieces >> 16) % 64);
        if (::write(ends[1], data + done, piece) != static_cast<ssize_t>(piece))
            __builtin_trap();
        done += piece;
        drain();
        server.Tick(16);
    }
    ::close(ends[1]);
    drain();
    if (!reader.Ended())
        __builtin_trap();
    ::close(ends[0]);
    server.Reset();
    return 0;
}
