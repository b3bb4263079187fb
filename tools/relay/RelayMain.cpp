// quillrock_udp_relay: a poor network between the game and a server on
// this machine, for trying the game by hand the way a distant player has it.
#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "common/CommandLine.h"
#include "relay/UdpRelay.h"

namespace {

std::atomic<bool> stopRequested {false};

void RequestStop(int)
{
    stopRequested = true;
}

// What arrived each way, from the first datagram on, as a link would carry
// it: every datagram with its IPv4 and UDP headers.
class Traffic {
public:
    void Add(UdpRelay::Direction direction, std::size_t size)
    {
        const auto now = std::chrono::steady_clock::now();
        if (datagrams[0] + datagrams[1] == 0)
            first = now;
        last = now;
        const int way = direction == UdpRelay::Direction::ToServer ? 0 : 1;
        ++datagrams[way];
        wireBytes[way] += size + kHeaders;
    }
    void Print() const
    {
        const double seconds = std::max(1e-3, std::chrono::duration<double>(last - first).count());
        const char* ways[2] = {"to the server", "to the clients"};
        for (int way = 0; way < 2; ++way) {
            std::printf("%s: %llu datagrams, %.2f KB/s on the wire\n", ways[way],
                        static_cast<unsigned long long>(datagrams[way]),
                        static_cast<double>(wireBytes[way]) / seconds / 1000.0);
        }
    }

private:
    static constexpr std::size_t kHeaders = 20 + 8;
    std::chrono::steady_clock::time_point first;
    std::chrono::steady_clock::time_point last;
    unsigned long long datagrams[2] = {};
    unsigned long long wireBytes[2] = {};
};

const char kUsage[] =
    "Usage: quillrock_udp_relay [options]\n"
    "\n"
    "Listens on a UDP port of 127.0.0.1 and forwards every client's datagrams to\n"
    "the server and its answers back, each way late, jittered, sometimes lost,\n"
    "doubled or overtaken. Point the game at the relay's port and run the server\n"
    "on another, e.g. quillrock-server --port 3002 and the relay on 3001.\n"
    "Run it only in a network of its own: bash scripts/offline ...\n"
    "\n"
    "  --listen PORT        port the clients send to (3001)\n"
    "  --server ADDR:PORT   the server, an IPv4 address (127.0.0.1:3002)\n"
    "  --delay MS           delay each way (100)\n"
    "  --jitter MS          the delay varies by up to this either way (20)\n"
    "  --loss PERCENT       datagrams lost (5)\n"
    "  --duplicate PERCENT  datagrams sent twice (1)\n"
    "  --reorder PERCENT    datagrams held back one delay more (2)\n"
    "  --seed N             the faults' random seed; a seed repeats a run (1)\n"
    "  --help, -h           this text\n"
    "\n"
    "On SIGINT or SIGTERM it prints what it did, and the bytes each way as\n"
    "a link carries them (IP and UDP headers counted), and ends.\n";

template <typename Number>
bool Read(const std::string& text, Number low, Number high, Number& out)
{
    Number value {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool ReadServer(const std::string& text, std::uint32_t& host, std::uint16_t& port)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    in_addr address {};
    if (::inet_pton(AF_INET, text.substr(0, colon).c_str(), &address) != 1)
        return false;
    host = address.s_addr;
    return Read<std::uint16_t>(text.substr(colon + 1), 1, 65535, port);
}

struct Options {
    std::uint16_t listenPort = 3001;
    std::uint32_t serverHost = htonl(INADDR_LOOPBACK);
    std::uint16_t serverPort = 3002;
    UdpRelay::Faults faults;
    std::uint32_t seed = 1;
};

// Reads one option's value; false when it is not one the option takes.
bool ReadValue(const std::string& flag, const std::string& value, Options& options)
{
    UdpRelay::Faults& f = options.faults;
    if (flag == "--listen")
        return Read<std::uint16_t>(value, 1, 65535, options.listenPort);
    if (flag == "--server")
        return ReadServer(value, options.serverHost, options.serverPort);
    if (flag == "--delay")
        return Read<std::uint32_t>(value, 0, 10000, f.delayMs);
    if (flag == "--jitter")
        return Read<std::uint32_t>(value, 0, 10000, f.jitterMs);
    if (flag == "--loss")
        return Read(value, 0.0, 100.0, f.lossPercent);
    if (flag == "--duplicate")
        return Read(value, 0.0, 100.0, f.duplicatePercent);
    if (flag == "--reorder")
        return Read(value, 0.0, 100.0, f.reorderPercent);
    return Read<std::uint32_t>(value, 0, 0xffffffffu, options.seed);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    const int status = ReadCommandLine("quillrock_udp_relay", kUsage, argc, argv, {"--listen", "--server", "--delay", "--jitter", "--loss", "--duplicate", "--reorder", "--seed"},
                                       [&](const std::string& flag, const std::string& value) { return ReadValue(flag, value, options); });
    if (status >= 0)
        return status;

    UdpRelay relay(options.faults, options.seed);
    std::string message;
    if (!relay.Open(options.listenPort, options.serverHost, options.serverPort, message)) {
        std::fprintf(stderr, "quillrock_udp_relay: %s\n", message.c_str());
        return 1;
    }
    char server[INET_ADDRSTRLEN] = {};
    in_addr serverAddress {};
    serverAddress.s_addr = options.serverHost;
    ::inet_ntop(AF_INET, &serverAddress, server, sizeof server);
    const UdpRelay::Faults& f = options.faults;
    std::printf("relaying 127.0.0.1:%u to %s:%u: delay %u ms +- %u, loss %g %%, duplicate %g %%, reorder %g %%, "
                "seed %u\n",
                relay.Port(), server, options.serverPort, f.delayMs, f.jitterMs, f.lossPercent, f.duplicatePercent,
                f.reorderPercent, options.seed);
    std::fflush(stdout);

    Traffic traffic;
    relay.SetTaps([&](UdpRelay::Direction direction, const std::uint8_t*, std::size_t size) {
        traffic.Add(direction, size);
    }, nullptr);
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    relay.Run(stopRequested);

    const UdpRelay::Counts counts = relay.GetCounts();
    std::printf("received %llu, lost %llu, duplicated %llu, reordered %llu, delivered %llu\n",
                static_cast<unsigned long long>(counts.received), static_cast<unsigned long long>(counts.lost),
                static_cast<unsigned long long>(counts.duplicated),
                static_cast<unsigned long long>(counts.reordered),
                static_cast<unsigned long long>(counts.delivered));
    traffic.Print();
    return 0;
}
