#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "gfx/screens/InternetServers.h"
#include "net/ServerListing.h"
#include "net/ServerTable.h"
#include "platform/ServerPinger.h"
#include "support/OffscreenGame.h"

// The Internet Servers screen with 1,000 servers listed: a frame is 16.7 ms
// at 60 Hz, and opening the list, sorting it or filtering it is done in one.

namespace {

constexpr int kServers = 1000;

// A master's answer of kServers servers, of every size and kind.
std::string ThousandServers()
{
    const char* maps[] = {"Arena", "Duel", "Warren", "Burrows", "Expanse", "Void", "Hive", "Fortress", "Canyon"};
    const char* modes[] = {"dm", "tdm", "ctf"};
    std::string document = R"({"servers": [)";
    for (int i = 0; i < kServers; ++i) {
        std::string players;
        for (int p = 0; p < i % 9; ++p)
            players += std::string(p ? "," : "") + R"({"name": "Pilot )" + std::to_string(p) +
                       R"(", "score": )" + std::to_string(p * 3) + (p % 2 ? R"(, "robot": true})" : "}");
        document += std::string(i ? "," : "") + R"({"name": "Server number )" + std::to_string((i * 7919) % kServers) +
                    R"(", "address": "10.)" + std::to_string(i / 250) + "." + std::to_string(i % 250) +
                    R"(.1:3001", "map": ")" + maps[i % 9] + R"(", "mode": ")" + modes[i % 3] +
                    R"(", "players": [)" + players + R"(], "seats": 8, "version": "0.9.0"})";
    }
    return document + "]}";
}

const std::string& Document()
{
    static const std::string document = ThousandServers();
    return document;
}

std::vector<ListedServer> Listed()
{
    std::vector<ListedServer> servers;
    std::string error;
    ServerListing::Read(Document(), servers, error);
    return servers;
}

} // namespace

// The master's answer read, as the fetch's thread does beside the frames.
static void BM_InternetListReads(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<ListedServer> servers;
        std::string error;
        ServerListing::Read(Document(), servers, error);
        benchmark::DoNotOptimize(servers.size());
    }
    state.counters["bytes"] = static_cast<double>(Document().size());
}
BENCHMARK(BM_InternetListReads)->Unit(benchmark::kMicrosecond);

// The read list taken by the screen and shown in order of name: the
// frame's share of opening it.
static void BM_InternetListOpens(benchmark::State& state)
{
    const std::vector<ListedServer> listed = Listed();
    for (auto _ : state) {
        ServerTable table;
        table.SetListed(listed);
        benchmark::DoNotOptimize(table.Rows().size());
    }
}
BENCHMARK(BM_InternetListOpens)->Unit(benchmark::kMicrosecond);

// Every column in turn, each sorted anew.
static void BM_InternetListSortsEveryColumn(benchmark::State& state)
{
    ServerTable table;
    table.SetListed(Listed());
    for (int i = 0; i < kServers; i += 3)
        table.SetPing("10." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".1:3001", i % 200);
    for (auto _ : state) {
        table.MoveSort(1);
        benchmark::DoNotOptimize(table.Rows().size());
    }
}
BENCHMARK(BM_InternetListSortsEveryColumn)->Unit(benchmark::kMicrosecond);

// A letter typed into the filter, with robots-only servers hidden.
static void BM_InternetListFilters(benchmark::State& state)
{
    ServerTable table;
    table.SetListed(Listed());
    table.ToggleHidden(ServerTable::kHideRobotsOnly);
    const char* filters[] = {"a", "ar", "are", "aren", "arena", ""};
    std::size_t next = 0;
    for (auto _ : state) {
        table.SetFilter(filters[next++ % 6]);
        benchmark::DoNotOptimize(table.Rows().size());
    }
}
BENCHMARK(BM_InternetListFilters)->Unit(benchmark::kMicrosecond);

// The whole screen drawn with the list on the offscreen context.
static void BM_InternetScreenFrame(benchmark::State& state)
{
    if (!OpenOffscreenGame()) {
        state.SkipWithError("no GL driver");
        return;
    }
    InternetServers* screen = InternetServers::Instance();
    screen->SetSize(1024.0f, 768.0f);
    screen->Table().SetListed(Listed());
    for (auto _ : state)
        screen->Draw(0, 0);
}
BENCHMARK(BM_InternetScreenFrame)->Unit(benchmark::kMicrosecond);

// F5 on a list of 10,000: every row asked for a ping at once, of which 16
// go at a time.
static void BM_PingerAsksTenThousand(benchmark::State& state)
{
    std::vector<std::string> addresses;
    for (int i = 0; i < 10 * kServers; ++i)
        addresses.push_back("10." + std::to_string(i / 250 % 250) + "." + std::to_string(i % 250) + ".1:" +
                            std::to_string(3001 + i / 62500));
    for (auto _ : state) {
        platform::ServerPinger pinger(platform::Guid {});
        for (const std::string& address : addresses)
            pinger.Ask(address);
        benchmark::DoNotOptimize(pinger.Idle());
    }
}
BENCHMARK(BM_PingerAsksTenThousand)->Unit(benchmark::kMillisecond);
