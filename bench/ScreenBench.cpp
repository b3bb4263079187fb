#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <string>

#include "gfx/Renderer.h"
#include "gfx/TextureManager.h"
#include "gfx/screens/MainMenu.h"
#include "support/OffscreenGame.h"

// Drawing figures are CPU time on the offscreen Mesa context.

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
