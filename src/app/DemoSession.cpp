#include "app/DemoSession.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/AppState.h"
#include "app/DemoPlayback.h"
#include "app/FramePacing.h"
#include "app/GameSounds.h"
#include "app/ScanCodes.h"
#include "app/SoundBoard.h"
#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "net/NetClient.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"
#include "platform/Window.h"
#include "world/World.h"

namespace {

bool ShiftHeld()
{
    std::uint8_t state[256] = {};
    platform::ReadKeyboardState(state);
    return (state[kScanLeftShift] | state[kScanRightShift]) & 0x80;
}

enum class Answered { Nothing, Leave, Seek };

// Answers one key.
Answered Answer(DemoPlayback& playback, std::uint8_t code)
{
    switch (code) {
    case kScanEscape:
    case kScanF9: return Answered::Leave;
    case kScanSpace: playback.TogglePause(); break;
    case kScanEquals:
    case kScanPadPlus: playback.Faster(); break;
    case kScanMinus:
    case kScanPadMinus: playback.Slower(); break;
    case kScanLeft: playback.SeekBy(-static_cast<std::int64_t>(DemoPlayback::kSeekMs)); return Answered::Seek;
    case kScanRight: playback.SeekBy(DemoPlayback::kSeekMs); return Answered::Seek;
    case kScanHome: playback.Seek(0); return Answered::Seek;
    case kScanTab: playback.Follow(ShiftHeld() ? -1 : 1); break;
    default: break;
    }
    return Answered::Nothing;
}

} // namespace

void RunDemoLoop(const DemoReader& demo)
{
    std::vector<std::uint8_t> pressed;
    g_playbackKeys = &pressed;
    DemoPlayback playback(demo);
    std::unique_ptr<RadarPanel> radar = NewRadar(g_screenHeight);
    std::string radarMap;
    std::uint32_t currentTick = platform::TickCount();
    std::uint32_t secondStart = currentTick;
    int frameTime = 0;
    int framesThisSecond = 0;
    int framesPerSecond = 0;
    bool leaving = false;
    SoundBoard* sound = SoundBoard::Instance();
    GameSounds heard;

    while (!g_quitRequested && !leaving) {
        PaceFrame();
        ++framesThisSecond;
        bool sought = false;
        for (const std::uint8_t code : pressed) {
            if (code == kScanF8)
                sound->ToggleMute();
            const Answered answered = Answer(playback, code);
            leaving = leaving || answered == Answered::Leave;
            sought = sought || answered == Answered::Seek;
        }
        pressed.clear();
        if (sought) {
            // The time the seek took is not the demo's to play on.
            currentTick = platform::TickCount();
            frameTime = 0;
        }
        const bool standing = playback.IsPaused() || playback.IsAtEnd();
        const int elapsed = playback.Advance(frameTime);
        World& world = playback.GetWorld();
        // A seek's leap is not heard as everything it passed happening at once.
        if (sought)
            heard.Leap(playback.Client());
        if (standing)
            sound->StopLoops();
        else
            heard.Hear(world, playback.Client(), playback.FollowedThrusts(), *sound);
        const std::string caption = playback.Caption();
        if (playback.Client().IsRoundOver() || playback.IsAtEnd()) {
            const std::string banner = playback.Banner();
            DrawResultsFrame(&world, framesPerSecond, caption.c_str(), banner.empty() ? nullptr : banner.c_str());
            radarMap.clear();
        } else {
            if (std::string mapName = MapNameOf(&world); mapName != radarMap) {
                radarMap = std::move(mapName);
                radar = NewRadar(g_screenHeight);
                heard.Forget();
            }
            DrawGameFrame(radar.get(), &world, elapsed, framesPerSecond, caption.c_str());
        }
        const std::uint32_t previousTick = currentTick;
        currentTick = platform::TickCount();
        frameTime = static_cast<int>(currentTick - previousTick);
        if (currentTick - secondStart >= 1000) {
            secondStart = currentTick;
            framesPerSecond = framesThisSecond;
            framesThisSecond = 0;
        }
        if (!platform::Window::PumpMessages())
            g_quitRequested = true;
    }
    sound->StopLoops();
    g_playbackKeys = nullptr;
}
