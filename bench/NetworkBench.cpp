#include <memory>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <deque>

#include "net/MessageBatch.h"
#include "net/PackedBatch.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "support/HostThread.h"
#include "support/MapFile.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

// Parsing and applying one batch of 50 ship states and 50 entity states to
// a world of 64 ships and 4,000 entities; the time per message is the
// figure that matters.
static void BM_ApplyBatchOf100States(benchmark::State& state)
{
    auto world = std::make_unique<World>();
    const auto bytes = MapFileBytes("Bench", std::vector<std::vector<int>>(128, std::vector<int>(128, 0)));
    auto map = std::make_unique<Map>();
    map->LoadFromBytes(bytes.data(), bytes.size());
    world->SetMap(std::move(map));
    for (int i = 0; i < 64; ++i) {
        auto ship = std::make_unique<Ship>();
        ship->SetId(i);
        world->AddShip(std::move(ship));
    }
    for (int i = 0; i < 4000; ++i) {
        auto bullet = std::make_unique<Bullet>();
        bullet->ForceRespawn(0, 0);
        world->AddEntity(std::move(bullet), 1000 + i);
    }
    NetClient* client = NetClient::Instance();
    client->SetWorld(world.get());

    std::deque<NetMessage> messages;
    std::vector<const NetMessage*> batch;
    for (int i = 0; i < 50; ++i) {
        messages.emplace_back().SetShipState(i, 0, 50, 100, 1, {}, Vector3(i * 10, 5, 0), Vector3(1, 1, 0), 9);
        messages.emplace_back().SetEntityState(1000 + i * 70, 2, Vector3(i, i, 0), Vector3(300, 0, 0), 0, 0);
    }
    for (const NetMessage& message : messages)
        batch.push_back(&message);
    const auto payload = PackedBatch::Pack(batch);

    for (auto _ : state) {
        MessageBatch parsed;
        parsed.ParsePacked(payload.data(), payload.size());
        client->HandleBatch(parsed);
    }
    state.SetItemsProcessed(state.iterations() * 100);
    NetClient::Destroy();
}
BENCHMARK(BM_ApplyBatchOf100States)->Unit(benchmark::kMicrosecond);

// A hostile payload: a megabyte of spawns with fresh ids into an empty
// world. The ship cap bounds what it costs.
static void BM_ApplyMegabyteOfSpawns(benchmark::State& state)
{
    std::deque<NetMessage> messages;
    std::vector<const NetMessage*> batch;
    for (int id = 1; id <= 40000; ++id)
        messages.emplace_back().SetPlayerSpawn(id, 0, 0, 0, "x");
    for (const NetMessage& message : messages)
        batch.push_back(&message);
    const auto payload = PackedBatch::Pack(batch);
    NetClient* client = NetClient::Instance();
    for (auto _ : state) {
        auto world = std::make_unique<World>();
        client->SetWorld(world.get());
        MessageBatch parsed;
        parsed.ParsePacked(payload.data(), payload.size());
        client->HandleBatch(parsed);
        client->SetWorld(nullptr);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(payload.size()));
    NetClient::Destroy();
}
BENCHMARK(BM_ApplyMegabyteOfSpawns)->Unit(benchmark::kMillisecond);

// A LAN search that finds one host on loopback. It opens sockets: run it
// inside a network namespace (scripts/offline).
static void BM_LanSearchFindingOneLoopbackHost(benchmark::State& state)
{
    ::setenv("QUILLROCK_LOOPBACK_ONLY", "1", 1);
    HostThread host("Bench Host", 8, 43001);
    for (auto _ : state) {
        NetClient* client = NetClient::Instance();
        client->SetPort(43001);
        client->EnumHosts();
        if (client->HostCount() != 1)
            state.SkipWithError("the host was not found");
        NetClient::Destroy();
    }
}
BENCHMARK(BM_LanSearchFindingOneLoopbackHost)->Unit(benchmark::kMillisecond)->Iterations(3);
