#include <memory>
#include <benchmark/benchmark.h>

#include <vector>

#include "support/MapFile.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// A 128 x 128 world with 64 ships and `entities` moving bullets that never
// expire during the run (they are made now and live 15 s).
void Populate(World& world, int entities)
{
    const auto bytes = MapFileBytes("Bench", std::vector<std::vector<int>>(128, std::vector<int>(128, 0)));
    auto map = std::make_unique<Map>();
    map->LoadFromBytes(bytes.data(), bytes.size());
    world.SetMap(std::move(map));
    for (int i = 0; i < 64; ++i) {
        auto ship = std::make_unique<Ship>();
        ship->SetId(i);
        ship->ForceRespawn(static_cast<float>(i * 61 % 4096), static_cast<float>(i * 97 % 4096));
        ship->SetVelocity(Vector3(100, -50, 0));
        ship->SetTarget(Vector3(i * 61 % 4096 + 20, i * 97 % 4096, 0));
        world.AddShip(std::move(ship));
    }
    for (int i = 0; i < entities; ++i) {
        auto bullet = std::make_unique<Bullet>();
        bullet->ForceRespawn(static_cast<float>(i * 37 % 4096), static_cast<float>(i * 53 % 4096));
        bullet->SetVelocity(Vector3(300, 200, 0));
        bullet->SetTarget(Vector3(i * 37 % 4096 + 5, i * 53 % 4096 + 5, 0));
        world.AddEntity(std::move(bullet), 1000 + i);
    }
}

} // namespace

static void BM_WorldUpdate64Ships4000Entities(benchmark::State& state)
{
    World world;
    Populate(world, 4000);
    for (auto _ : state)
        world.Update(16);
}
BENCHMARK(BM_WorldUpdate64Ships4000Entities)->Unit(benchmark::kMicrosecond);

static void BM_FindEntityAmong4000(benchmark::State& state)
{
    World world;
    Populate(world, 4000);
    int id = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.FindEntity(id));
        id = id == 4999 ? 1000 : id + 1;
    }
}
BENCHMARK(BM_FindEntityAmong4000);

static void BM_CollidesTwoShips(benchmark::State& state)
{
    Ship a;
    Ship b;
    a.ForceRespawn(100, 100);
    b.ForceRespawn(110, 104);
    b.SetHeading(45);
    for (auto _ : state)
        benchmark::DoNotOptimize(a.Collides(&b, 4096, 4096));
}
BENCHMARK(BM_CollidesTwoShips);
