// What sound costs the frame: handing 64 events to the mixer at once, and
// hearing a frame in which 64 shots appear among a thousand objects.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/SoundBoard.h"
#include "app/WorldSounds.h"
#include "world/Bullet.h"
#include "world/Mine.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// The disk driver into nothing: the mixing thread runs as on a device.
void StartDiskSound()
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    std::filesystem::current_path(QR_DATA_DIR);
    SoundBoard::Instance()->Start(true);
}

SoundQueue SixtyFourEvents()
{
    SoundQueue queue;
    for (int i = 0; i < 64; ++i)
        queue.Add(static_cast<SoundEvent>(i % static_cast<int>(SoundEvent::MenuMove)),
                  static_cast<float>((i * 37) % 1600 - 800), static_cast<float>((i * 53) % 1200 - 600));
    return queue;
}

// Every voice free at the start of the frame: the most the frame can spend.
void SixtyFourEventsInOneFrame(benchmark::State& state)
{
    const SoundQueue queue = SixtyFourEvents();
    SoundBoard* board = SoundBoard::Instance();
    for (auto _ : state) {
        state.PauseTiming();
        StartDiskSound();
        state.ResumeTiming();
        board->Play(queue);
        state.PauseTiming();
        state.counters["voices"] = board->BusyVoices();
        board->Stop();
        state.ResumeTiming();
    }
    SoundBoard::Destroy();
}
BENCHMARK(SixtyFourEventsInOneFrame)->Unit(benchmark::kMicrosecond)->Iterations(200);

// Every voice still busy with louder sounds from the frames before.
void SixtyFourEventsWhileVoicesRing(benchmark::State& state)
{
    const SoundQueue queue = SixtyFourEvents();
    StartDiskSound();
    SoundBoard* board = SoundBoard::Instance();
    for (auto _ : state)
        board->Play(queue);
    state.counters["voices"] = board->BusyVoices();
    SoundBoard::Destroy();
}
BENCHMARK(SixtyFourEventsWhileVoicesRing)->Unit(benchmark::kMicrosecond);

void HearingSixtyFourShotsAmongAThousand(benchmark::State& state)
{
    World world;
    for (int id = 1; id <= 16; ++id) {
        auto ship = std::make_unique<Ship>();
        ship->SetId(id);
        ship->SetLocal(id == 1);
        ship->ForceRespawn(static_cast<float>(id * 200), 1000.0f);
        world.AddShip(std::move(ship));
    }
    for (int id = 1; id <= 1000; ++id) {
        auto mine = std::make_unique<Mine>();
        mine->ForceRespawn(static_cast<float>(id * 7 % 4000), static_cast<float>(id * 13 % 4000));
        world.AddEntity(std::move(mine), id);
    }
    WorldSounds sounds;
    SoundQueue queue;
    sounds.Look(world, queue);
    int next = 100000;
    std::size_t queued = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 64; ++i) {
            auto bullet = std::make_unique<Bullet>();
            bullet->ForceRespawn(static_cast<float>((i % 16 + 1) * 200 + 10), 1000.0f);
            world.AddEntity(std::move(bullet), next++);
        }
        queue.Clear();
        state.ResumeTiming();
        sounds.Look(world, queue);
        state.PauseTiming();
        queued = queue.Size();
        for (GameObject* entity = world.EntitiesBegin(); entity; entity = world.EntitiesNext()) {
            if (entity->GetType() == kTypeBullet)
                entity->Kill();
        }
        world.Sweep();
        sounds.Look(world, queue);
        state.ResumeTiming();
    }
    state.counters["queued"] = static_cast<double>(queued);
}
BENCHMARK(HearingSixtyFourShotsAmongAThousand)->Unit(benchmark::kMicrosecond);

} // namespace
