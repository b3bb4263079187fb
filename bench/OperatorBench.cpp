#include <benchmark/benchmark.h>

#include <string>

#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"
#include "support/TempDir.h"

// The metrics page of a server with 16 robots and a full minute of ticks
// behind it: what a scrape costs the game's loop (a flood of scrapes gets
// the page at most four times a second).
static void BM_MetricsPageAfterAMinute(benchmark::State& state)
{
    ServerLog quiet(nullptr);
    ServerOptions options;
    options.maps = {"Arena"};
    options.bots = 16;
    GameServer server(options, QR_DATA_DIR, quiet);
    std::string error;
    if (!server.StartUnhosted(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (int tick = 0; tick < 3600; ++tick)
        server.Tick(tick % 3 == 1 ? 16 : 17);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string page = server.MetricsText();
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MetricsPageAfterAMinute)->Unit(benchmark::kMicrosecond);

// One /ban on the game's thread with 100,000 bans in the file: how long the
// game's loop stands still for it.
static void BM_BanWithALargeBanFile(benchmark::State& state)
{
    const TempDir dir;
    std::string bans;
    for (std::uint32_t i = 0; i < 100000; ++i)
        bans += "10." + std::to_string(i >> 16) + "." + std::to_string(i >> 8 & 255) + "." + std::to_string(i & 255) +
                " forever\n";
    dir.WriteFile("bans", bans);
    ServerLog quiet(nullptr);
    ServerOptions options;
    options.maps = {"Arena"};
    options.banFile = dir.Path() + "/bans";
    GameServer server(options, QR_DATA_DIR, quiet);
    std::string error;
    if (!server.StartUnhosted(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::uint32_t next = 0;
    for (auto _ : state) {
        server.Operate("/ban 172.16." + std::to_string(next >> 8 & 255) + "." + std::to_string(next & 255));
        ++next;
    }
}
// A fixed count, so that every ban fits in the file.
BENCHMARK(BM_BanWithALargeBanFile)->Unit(benchmark::kMillisecond)->Iterations(2000);
