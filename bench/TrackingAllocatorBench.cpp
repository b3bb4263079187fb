#include <benchmark/benchmark.h>

#include <vector>

#include "base/TrackingAllocator.h"

// One Allocate+Free pair with range(0) other blocks live: the cost must not
// grow with the live count.
static void BM_AllocateFreeWithLiveBlocks(benchmark::State& state)
{
    TrackingAllocator* allocator = TrackingAllocator::Instance();
    std::vector<void*> live;
    live.reserve(static_cast<std::size_t>(state.range(0)));
    for (int64_t i = 0; i < state.range(0); ++i)
        live.push_back(allocator->Allocate(48));

    for (auto _ : state) {
        void* block = allocator->Allocate(48);
        benchmark::DoNotOptimize(block);
        allocator->Free(block);
    }

    for (void* block : live)
        allocator->Free(block);
}
BENCHMARK(BM_AllocateFreeWithLiveBlocks)->Arg(100)->Arg(100000);
