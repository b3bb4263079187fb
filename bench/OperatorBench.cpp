#include <benchmark/benchmark.h>

#include <string>

#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"

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
