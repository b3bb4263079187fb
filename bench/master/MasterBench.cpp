#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <random>
#include <vector>

#include "master/MasterFixture.h"
#include "master/StateFile.h"

// A master as busy as the internet list should get: 10,000 servers listed,
// each with eight players, registering from addresses of their own.
namespace {

constexpr int kServers = 10000;

nlohmann::json Busy(int index, int round)
{
    nlohmann::json players = nlohmann::json::array();
    for (int p = 0; p < 8; ++p)
        players.push_back({{"name", "Pilot " + std::to_string(p)}, {"score", (index + p + round) % 23}, {"robot", p > 3}});
    nlohmann::json body = Description("Server number " + std::to_string(index), 3001);
    body["players"] = players;
    body["secret"] = "secret-of-server-" + std::to_string(index);
    return body;
}

std::uint32_t AddressOf(int index) { return 0x0a000000u + std::uint32_t(index); }

struct BusyMaster {
    explicit BusyMaster(std::string statePath = {}) : rig({1000000, std::move(statePath)})
    {
        for (int i = 0; i < kServers; ++i)
            rig.List(Busy(i, 0), AddressOf(i));
        // The steady state: every server's part of the list made once.
        rig.Get("/servers.json", true);
    }
    MasterRig rig;
};

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    long kib = 0;
    while (status >> word)
        if (word == "VmRSS:" && status >> kib)
            break;
    return kib;
}

// This thread's processor time: the machine's other work does not count
// against the one core the master is given.
double CpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Registrations arriving steadily at 700 a second on one core, a third of
// them with changed scores, while players fetch the list 20 times a second
// (each may start a remake, made aside) and the master ticks every second, writing its state
// aside every five: how long each registration waits and is served, the
// loop's other work included.
void BM_MasterRegistrationsAt700PerSecond(benchmark::State& state)
{
    const std::string path = "/tmp/quillrock-master-bench-" + std::to_string(::getpid()) + ".json";
    BusyMaster busy(path);
    std::vector<std::string> bodies;
    for (int i = 0; i < kServers; ++i)
        bodies.push_back(Busy(i, 1).dump());
    std::mt19937 random(7);
    std::vector<double> waits;
    double longest[3] = {}; // registration, list, tick
    int round = 2;
    for (auto _ : state) {
        const double gap = 1.0 / 700;
        double backlog = 0;
        for (int n = 0; n < 7000; ++n) {
            const int index = int(random() % kServers);
            const std::string body = n % 3 == 0 ? Busy(index, round++).dump() : bodies[index];
            double start = CpuSeconds();
            busy.rig.Post("/register", body, AddressOf(index));
            double service = CpuSeconds() - start;
            longest[0] = std::max(longest[0], service);
            if (n % 35 == 0) {
                start = CpuSeconds();
                benchmark::DoNotOptimize(busy.rig.Get("/servers.json", true));
                longest[1] = std::max(longest[1], CpuSeconds() - start);
                service += CpuSeconds() - start;
            }
            if (n % 700 == 0) {
                start = CpuSeconds();
                busy.rig.master.Tick();
                longest[2] = std::max(longest[2], CpuSeconds() - start);
                service += CpuSeconds() - start;
            }
            waits.push_back(backlog + service);
            backlog = std::max(0.0, backlog + service - gap);
            busy.rig.clock.Advance(n % 7 == 0 ? 2 : 1);
        }
    }
    std::sort(waits.begin(), waits.end());
    state.counters["p50_ms"] = waits[waits.size() / 2] * 1000;
    state.counters["p99_ms"] = waits[waits.size() * 99 / 100] * 1000;
    state.counters["max_ms"] = waits.back() * 1000;
    state.counters["register_max_ms"] = longest[0] * 1000;
    state.counters["list_max_ms"] = longest[1] * 1000;
    state.counters["tick_max_ms"] = longest[2] * 1000;
    state.counters["rss_MiB"] = double(ResidentKiB()) / 1024;
    busy.rig.master.SaveState();
    std::remove(path.c_str());
}
BENCHMARK(BM_MasterRegistrationsAt700PerSecond)->Unit(benchmark::kMillisecond)->Iterations(3);

// One registration refreshing a listed server, read and filed.
void BM_MasterRegistration(benchmark::State& state)
{
    BusyMaster busy;
    std::vector<std::string> bodies;
    for (int i = 0; i < kServers; ++i)
        bodies.push_back(Busy(i, 1).dump());
    int index = 0;
    for (auto _ : state) {
        busy.rig.Post("/register", bodies[index], AddressOf(index));
        index = (index + 1) % kServers;
    }
    state.counters["listed"] = busy.rig.master.List().ListedCount();
}
BENCHMARK(BM_MasterRegistration)->Unit(benchmark::kMicrosecond);

// A changed list remade and compressed on its thread, from the request
// that starts it until the next request is served it.
void BM_MasterListRemadeGzip(benchmark::State& state)
{
    BusyMaster busy;
    std::size_t plain = 0, packed = 0;
    int round = 1;
    for (auto _ : state) {
        state.PauseTiming();
        busy.rig.Post("/register", Busy(0, round++).dump(), AddressOf(0));
        busy.rig.clock.Advance(ListDocument::kRemakeMs);
        state.ResumeTiming();
        busy.rig.Get("/servers.json", true);
        busy.rig.master.SettleList();
        packed = busy.rig.Get("/servers.json", true).body->size();
    }
    plain = busy.rig.Get("/servers.json").body->size();
    state.counters["json_KiB"] = double(plain) / 1024;
    state.counters["gzip_KiB"] = double(packed) / 1024;
}
BENCHMARK(BM_MasterListRemadeGzip)->Unit(benchmark::kMillisecond);

// The same between remakes: the shared bytes.
void BM_MasterListServedGzip(benchmark::State& state)
{
    BusyMaster busy;
    busy.rig.Get("/servers.json", true);
    for (auto _ : state)
        benchmark::DoNotOptimize(busy.rig.Get("/servers.json", true));
}
BENCHMARK(BM_MasterListServedGzip)->Unit(benchmark::kMicrosecond);

// GET / for a person, on the loop, while the list changes between requests:
// what the request costs the loop, remade or not.
void BM_MasterPageServedWhileChanging(benchmark::State& state)
{
    BusyMaster busy;
    int round = 1;
    std::size_t size = 0;
    for (auto _ : state) {
        state.PauseTiming();
        busy.rig.Post("/register", Busy(0, round++).dump(), AddressOf(0));
        busy.rig.clock.Advance(1000);
        state.ResumeTiming();
        size = busy.rig.Get("/", true).body->size();
    }
    state.counters["gzip_KiB"] = double(size) / 1024;
}
BENCHMARK(BM_MasterPageServedWhileChanging)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// The state of 10,000 servers written, as every few seconds.
void BM_MasterStateText(benchmark::State& state)
{
    BusyMaster busy;
    std::size_t size = 0;
    for (auto _ : state)
        size = StateFile::Text(busy.rig.master.List(), busy.rig.clock).size();
    state.counters["state_KiB"] = double(size) / 1024;
}
BENCHMARK(BM_MasterStateText)->Unit(benchmark::kMillisecond);

} // namespace
