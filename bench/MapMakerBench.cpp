#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mapmaker/MapChecks.h"
#include "mapmaker/RadarPicture.h"

namespace {

// The largest shipped map, 160 x 128 cells with 64 spawn points: what an
// operator waits for is its checks and, most of all, its radar picture.
MapGrid Hive()
{
    std::ifstream in(QR_DATA_DIR "/../tools/maps/Hive.map");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    MapGrid grid;
    std::vector<MapProblem> problems;
    ParseMapSource(text, grid, problems);
    return grid;
}

void BM_MapChecks(benchmark::State& state)
{
    const MapGrid grid = Hive();
    for (auto _ : state) {
        const MapChecks checks(grid);
        benchmark::DoNotOptimize(checks.Problems().size());
    }
}
BENCHMARK(BM_MapChecks)->Unit(benchmark::kMillisecond);

void BM_RadarPicture(benchmark::State& state)
{
    const MapGrid grid = Hive();
    for (auto _ : state) {
        const RadarPicture picture(grid);
        benchmark::DoNotOptimize(picture.Rgba().data());
    }
}
BENCHMARK(BM_RadarPicture)->Unit(benchmark::kMillisecond);

} // namespace
