#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/GLDisplay.h"
#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "gfx/Renderer.h"
#include "gfx/TextureManager.h"
#include "gfx/screens/MainMenu.h"
#include "support/MapFile.h"
#include "support/OffscreenGame.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Mine.h"
#include "world/Ship.h"
#include "world/World.h"

// Drawing figures are CPU time on the offscreen Mesa context, except where
// wall time is named.

namespace {
// Opens the offscreen game, or marks the benchmark skipped.
bool ScreenReady(benchmark::State& state)
{
    if (OpenOffscreenGame())
        return true;
    state.SkipWithError("no GL driver");
    return false;
}
} // namespace

static void BM_TitleScreenFrame(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    MainMenu* menu = MainMenu::Instance();
    menu->SetSize(1024.0f, 768.0f);
    for (auto _ : state)
        menu->Draw(0, 0);
}
BENCHMARK(BM_TitleScreenFrame)->Unit(benchmark::kMicrosecond);

// A frame that only clears and presents: the baseline of the next one.
static void BM_EmptyFrame(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    Renderer* renderer = Renderer::Instance();
    for (auto _ : state) {
        renderer->BeginFrame();
        renderer->EndFrame();
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond);

// The same frame with one 60-character line: the difference is the text.
static void BM_FrameWithDrawText60Characters(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    Renderer* renderer = Renderer::Instance();
    const std::string line(60, 'W');
    for (auto _ : state) {
        renderer->BeginFrame();
        glEnable(GL_TEXTURE_2D);
        renderer->DrawText(-300.0f, 0.0f, "%s", line.c_str());
        renderer->EndFrame();
    }
}
BENCHMARK(BM_FrameWithDrawText60Characters)->Unit(benchmark::kMicrosecond);

static void BM_GetTextureHitWith40Cached(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    TextureManager* manager = TextureManager::Instance();
    Renderer::Instance()->BeginFrame();
    const std::string last = "bench_picture_39.tga";
    for (int i = 0; manager->Count() < 40; ++i)
        manager->GetTexture(("bench_picture_" + std::to_string(i) + ".tga").c_str());
    Renderer::Instance()->EndFrame();
    for (auto _ : state)
        benchmark::DoNotOptimize(manager->GetTexture(last.c_str()));
}
BENCHMARK(BM_GetTextureHitWith40Cached);

namespace {
// A game frame at 1024 x 768: a 128 x 128 map, ships and 2,000 entities
// around the local ship (the entities spread over the whole world, the
// ships near the camera, eight to a row 60 units apart), drawn with the
// radar.
class GameScene {
public:
    // With teams, the ships alternate between Red and Blue.
    explicit GameScene(int ships, bool teams = false)
    {
        std::vector<std::vector<int>> rows(128, std::vector<int>(128, 0));
        for (int r = 0; r < 128; r += 4)
            for (int c = 0; c < 128; c += 3)
                rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = 1 + (r + c) % 6;
        const auto bytes = MapFileBytes("Bench", rows);
        auto map = std::make_unique<Map>();
        map->LoadFromBytes(bytes.data(), bytes.size());
        world.SetMap(std::move(map));
        for (int i = 0; i < ships; ++i) {
            auto ship = std::make_unique<Ship>();
            ship->SetName("Pilot");
            ship->SetShipType(i % 6);
            ship->ForceRespawn(static_cast<float>(2048 + (i % 8) * 60 - 240),
                               static_cast<float>(2048 + (i / 8) * 60 - 120));
            ship->SetTarget(ship->Position());
            ship->SetHeading(static_cast<float>(i * 11));
            if (teams)
                ship->SetTeam(i % 2 ? Team::Blue : Team::Red);
            world.AddShip(std::move(ship));
        }
        for (int i = 0; i < 2000; ++i) {
            std::unique_ptr<GameObject> entity;
            if (i % 2)
                entity = std::make_unique<Bullet>();
            else
                entity = std::make_unique<Mine>();
            entity->ForceRespawn(static_cast<float>(i * 37 % 4096), static_cast<float>(i * 53 % 4096));
            entity->SetTarget(entity->Position());
            world.AddEntity(std::move(entity), i + 1);
        }
        radar.SetSize(200.0f, 768.0f);
        Renderer::Instance()->SetWorld(&world);
    }
    ~GameScene() { Renderer::Instance()->ForgetWorld(); }
    GameScene(const GameScene&) = delete;
    GameScene& operator=(const GameScene&) = delete;

    void DrawFrame()
    {
        Renderer* renderer = Renderer::Instance();
        renderer->BeginFrame();
        DrawConnectedWorld(&radar, &world, 16);
        renderer->EndFrame();
    }

private:
    World world;
    RadarPanel radar;
};

// Draws the scene's frame per iteration; draws_per_frame counts the batch's
// draw calls, which a change of state between shapes multiplies.
void RunGameFrames(benchmark::State& state, GameScene& scene)
{
    const std::uint32_t before = Renderer::Instance()->Batch().DrawCalls();
    for (auto _ : state)
        scene.DrawFrame();
    state.counters["draws_per_frame"] = static_cast<double>(Renderer::Instance()->Batch().DrawCalls() - before) /
                                        static_cast<double>(state.iterations());
}
} // namespace

// Compare with BM_EmptyFrame: 32 ships, or a crowd of 64 on one screen.
static void BM_GameFrame2000Entities(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    GameScene scene(static_cast<int>(state.range(0)));
    RunGameFrames(state, scene);
}
BENCHMARK(BM_GameFrame2000Entities)->ArgName("ships")->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);

// The frame of 32 ships in a team game.
static void BM_TeamGameFrame32Ships2000Entities(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    GameScene scene(32, true);
    RunGameFrames(state, scene);
}
BENCHMARK(BM_TeamGameFrame32Ships2000Entities)->Unit(benchmark::kMicrosecond);

// The game frame and the empty frame in turn, in wall time: the software
// rasteriser runs on threads of its own, which CPU time leaves out. Each
// frame is timed until the driver has finished it, so that neither carries
// work over into the other. times_empty is how many empty frames a game
// frame costs, with 32 ships or 64.
static void BM_GameFrameOverEmptyFrame(benchmark::State& state)
{
    if (!ScreenReady(state))
        return;
    using Clock = std::chrono::steady_clock;
    GameScene scene(static_cast<int>(state.range(0)));
    Renderer* renderer = Renderer::Instance();
    Clock::duration game{}, empty{};
    GLDisplay* display = GLDisplay::Instance();
    const auto finish = [&] {
        display->MakeCurrent();
        glFinish();
        display->ReleaseCurrent();
    };
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        renderer->BeginFrame();
        renderer->EndFrame();
        finish();
        const Clock::time_point middle = Clock::now();
        scene.DrawFrame();
        finish();
        empty += middle - start;
        game += Clock::now() - middle;
    }
    const double frames = static_cast<double>(state.iterations());
    const auto us = [&](Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count() / frames; };
    state.counters["game_us"] = us(game);
    state.counters["empty_us"] = us(empty);
    state.counters["times_empty"] = us(game) / us(empty);
}
BENCHMARK(BM_GameFrameOverEmptyFrame)->ArgName("ships")->Arg(32)->Arg(64)->UseRealTime()->Unit(benchmark::kMicrosecond);
