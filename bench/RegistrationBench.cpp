#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "server/engine/Registrar.h"
#include "support/SidecarStandIn.h"

namespace {

ServerListing FullServer()
{
    ServerListing listing;
    listing.name = "Friday Night";
    listing.port = 3001;
    listing.map = "Arena";
    listing.mode = "dm";
    listing.seats = 64;
    for (int i = 0; i < 64; ++i)
        listing.players.push_back({"Pilot " + std::to_string(i), i, i % 2 == 0});
    return listing;
}

} // namespace

// What the game loop pays once a second to keep two masters told, with 64
// players seated, while one master holds every call and the other is gone:
// the calls themselves are on the masters' threads.
static void BM_RegistrationOfAFullServerToTwoBadMasters(benchmark::State& state)
{
    SidecarStandIn silent;
    silent.Answer("");
    Registrar registrar({"http://127.0.0.1:" + std::to_string(silent.Port()),
                         "http://127.0.0.1:" + std::to_string(SidecarStandIn::FreePort())});
    ServerListing listing = FullServer();
    std::uint64_t now = 0;
    for (auto _ : state) {
        listing.players[0].score = static_cast<int>(now);
        now += Registrar::kLookEveryMs;
        registrar.Describe(listing, now);
        benchmark::DoNotOptimize(registrar.TakeLogLines());
    }
}
BENCHMARK(BM_RegistrationOfAFullServerToTwoBadMasters)->Unit(benchmark::kMicrosecond);

// Every raw datagram on the game port that is not the session's is first
// offered to the registration: the cost of passing on one that is no challenge.
static void BM_RawDatagramPassedOverByTheRegistration(benchmark::State& state)
{
    Registrar registrar({"http://127.0.0.1:9"});
    const std::vector<std::uint8_t> datagram(48, 0x51);
    for (auto _ : state)
        benchmark::DoNotOptimize(registrar.Offer(0x7f000001, datagram.data(), datagram.size()));
}
BENCHMARK(BM_RawDatagramPassedOverByTheRegistration);
