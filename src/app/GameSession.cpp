#include "app/GameSession.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/AppState.h"
#include "app/DiagnosticLog.h"
#include "app/FramePacing.h"
#include "app/GameRecording.h"
#include "app/GameSounds.h"
#include "app/Input.h"
#include "app/ScanCodes.h"
#include "app/Settings.h"
#include "app/SoundBoard.h"
#include "app/WatchView.h"
#include "base/Console.h"
#include "gfx/BmpImage.h"
#include "gfx/DownloadFrame.h"
#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "gfx/Renderer.h"
#include "gfx/TeamView.h"
#include "net/MapDownload.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "world/GameKey.h"
#include "world/HeldKeys.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// A world holding only the local ship, made from the settings.
std::unique_ptr<World> NewWorld()
{
    auto world = std::make_unique<World>();
    auto made = std::make_unique<Ship>();
    made->SetName(g_settings.PlayerName[0] ? g_settings.PlayerName : "Player");
    made->SetShipType(g_settings.ShipType);
    made->SetLocal(true);
    world->MoveShipToFront(world->AddShip(std::move(made)));
    return world;
}

// The network client, ready for the game port, borrowing the world; the
// renderer borrows it too.
NetClient* LendWorld(World* world)
{
    NetClient* client = NetClient::Instance();
    client->SetPort(NetClient::kGamePort);
    client->Initialize();
    client->SetWorld(world);
    client->SetPictureCheck([](const std::vector<std::uint8_t>& bytes) {
        return BmpImage().LoadFromBytes(bytes.data(), bytes.size());
    });
    client->Prediction().SetEnabled(g_predictOwnShip);
    client->DoWork(NetClient::kWorkBudget);
    Renderer::Instance()->SetWorld(world);
    return client;
}

// The game's demo, while recording is on.
std::unique_ptr<GameRecording> Record(NetClient& client)
{
    return g_settings.RecordDemos ? std::make_unique<GameRecording>(client) : nullptr;
}

// Before the world goes, its borrowers let go of it.
void EndLoan()
{
    Renderer::Instance()->ReleaseCamera();
    NetClient::Destroy();
    Renderer::Instance()->ForgetWorld();
}

// The frame's time and the frames counted over each second.
class FrameCounter {
public:
    void Begin() { ++framesThisSecond; }
    // Once the frame is drawn; true when a second's count is complete.
    bool End();
    int FrameTime() const { return frameTime; }
    int PerSecond() const { return framesPerSecond; }

private:
    std::uint32_t currentTick = platform::TickCount();
    std::uint32_t secondStart = currentTick;
    int frameTime = 0;
    int framesThisSecond = 0;
    int framesPerSecond = 0;
};

bool FrameCounter::End()
{
    const std::uint32_t previousTick = currentTick;
    currentTick = platform::TickCount();
    frameTime = static_cast<int>(currentTick - previousTick);
    if (currentTick - secondStart < 1000)
        return false;
    secondStart = currentTick;
    DiagnosticLog::Instance()->Print(9, "%u: %d FPS", currentTick, framesThisSecond);
    framesPerSecond = framesThisSecond;
    framesThisSecond = 0;
    return true;
}

// One game: the world, the client that fills it, and what hangs on both.
class GameLoop {
public:
    GameLoop();
    void Run();

private:
    bool ReadKeys(std::uint8_t keys[256]);
    // A map download that failed says why, and the player is back in the menu.
    bool MapFailed();
    void Exchange(const std::uint8_t keys[256]);
    void GoIdle();
    void Fly(bool thrustHeld);
    // Without a ship: the watcher's camera, and the frame heard; false
    // while this side flies a ship.
    bool Watch();
    void DrawFrame();
    void EndFrame();
    void Leave();

    Input* input = Input::Instance();
    FrameCounter frames;
    FunctionKeys functionKeys;
    bool resultsShown = false;
    std::unique_ptr<World> world;
    NetClient* client = nullptr;
    std::unique_ptr<GameRecording> recording;
    std::unique_ptr<RadarPanel> radar;
    std::string radarMap;
    NetMessage control;
    SoundBoard* sound = nullptr;
    std::unique_ptr<GameSounds> heard;
    std::unique_ptr<WatchView> watch;
    bool tabWasDown = false;
};

GameLoop::GameLoop()
{
    Console::Instance()->SetLineLimit(Console::kDefaultLimit);
    world = NewWorld();
    client = LendWorld(world.get());
    client->WatchOnConnect(g_joinAsWatcher);
    client->SelectHost(g_serverName);
    client->Connect();
    recording = Record(*client);
    radar = NewRadar(g_screenHeight);
    sound = SoundBoard::Instance();
    heard = std::make_unique<GameSounds>();
}

void GameLoop::Run()
{
    while (!g_quitRequested && g_appState == AppState::InGame) {
        PaceFrame();
        frames.Begin();
        std::uint8_t keys[256];
        if (!ReadKeys(keys))
            continue;
        Exchange(keys);
        if (client->IsTerminated())
            GoIdle();
        if (MapFailed())
            break;
        Fly(keys[kKeyThrust] != 0);
        DrawFrame();
        EndFrame();
    }
    Leave();
}

// The keys that are not the ship's; false when one of them ends the game.
bool GameLoop::ReadKeys(std::uint8_t keys[256])
{
    input->ReadGameKeys(keys);
    if (keys[kKeyQuit]) {
        g_quitRequested = true;
        return false;
    }
    ReadChatKey(keys[kKeyChat] != 0);
    functionKeys.Apply(keys[kKeyOutlines], keys[kKeyNames]);
    sound->ReadMuteKey(keys[kKeyMute] != 0);
    if (keys[kKeyLeave]) {
        g_appState = AppState::MainMenu;
        return false;
    }
    return true;
}

// The controls go out every frame, also with nothing held; the server's
// reports come in and the demo records the frame.
void GameLoop::Exchange(const std::uint8_t keys[256])
{
    Ship* local = client->GetWorld() ? client->GetWorld()->FirstShip() : nullptr;
    // Behind a map's download bar the player sees no ship: it holds nothing.
    static constexpr std::uint8_t kNothingHeld[256] = {};
    BuildControlMessage(client->Download() ? kNothingHeld : keys, local ? local->GetId() : 0, control);
    // A watcher's keys fly nothing.
    if (!client->IsWatching())
        client->Send(control);
    client->DoWork(NetClient::kWorkBudget);
    if (recording && !g_settings.RecordDemos)
        recording.reset();
    if (recording)
        recording->Update(*world, control, platform::TickCount());
}

// An idle game: the local ship alone, unconnected, until ESC or F9.
void GameLoop::GoIdle()
{
    recording.reset();
    EndLoan();
    world = NewWorld();
    client = LendWorld(world.get());
    heard->Forget();
}

// The own ship flies ahead of the server's reports, and the frame is heard.
void GameLoop::Fly(bool thrustHeld)
{
    if (Watch())
        return;
    if (client->Download()) {
        world->SteerFirstShip(false);
        return;
    }
    Ship* own = world->FirstShip();
    world->SteerFirstShip(own && own->IsAlive() && client->IsConnected() &&
                          client->Prediction().Step(*own, HeldKeys::FromCodes(control.Codes(), control.CodeCount()),
                                                    frames.FrameTime(), platform::TickCount(), world->GetMap()));
    client->Prediction().GuardShots(*world, platform::TickCount());
    heard->Hear(*world, *client, thrustHeld, *sound);
}

bool GameLoop::Watch()
{
    if (!client->IsWatching()) {
        if (std::exchange(watch, nullptr))
            Renderer::Instance()->ReleaseCamera();
        return false;
    }
    if (!watch)
        watch = std::make_unique<WatchView>();
    // Held keys, as the frame finds them; a line being typed takes them all.
    std::uint8_t state[256] = {};
    platform::ReadKeyboardState(state);
    const auto down = [&](std::uint8_t code) { return !input->IsTyping() && (state[code] & 0x80) != 0; };
    WatchView::Keys keys;
    const bool tab = down(kScanTab);
    if (tab && !tabWasDown)
        keys.step = down(kScanLeftShift) || down(kScanRightShift) ? -1 : 1;
    tabWasDown = tab;
    keys.left = down(kScanLeft);
    keys.right = down(kScanRight);
    keys.up = down(kScanUp);
    keys.down = down(kScanDown);
    watch->Frame(*world, keys, frames.FrameTime());
    if (watch->IsFree())
        Renderer::Instance()->HoldCamera(static_cast<int>(watch->CameraX()), static_cast<int>(watch->CameraY()));
    else
        Renderer::Instance()->ReleaseCamera();
    world->SteerFirstShip(false);
    heard->Hear(*world, *client, false, *sound);
    return true;
}

bool GameLoop::MapFailed()
{
    const MapDownload* download = client->Download();
    if (!download || download->Status() != MapDownload::State::Failed)
        return false;
    Console::Instance()->Print("%s", download->Problem().c_str());
    platform::ShowMessageBox(download->Problem().c_str(), "Map download", platform::MessageIcon::Exclamation);
    g_appState = AppState::MainMenu;
    return true;
}

void GameLoop::DrawFrame()
{
    if (const MapDownload* download = client->Download()) {
        DrawDownloadFrame(download->Offered().name, download->Done());
        return;
    }
    if (client->IsRoundOver()) {
        // A watcher won nothing and lost nothing: the round's winner is named.
        const std::string banner = watch && !PlaysTeams(world.get()) ? OnlookersBanner(world.get()) : std::string();
        DrawResultsFrame(world.get(), frames.PerSecond(), nullptr, banner.empty() ? nullptr : banner.c_str());
        resultsShown = true;
        return;
    }
    // A map changed at once by the server, with no results between,
    // gets a fresh radar too, so the minimap shows the new picture.
    const std::string mapName = MapNameOf(world.get());
    if (resultsShown || mapName != radarMap) {
        resultsShown = false;
        radarMap = mapName;
        radar = NewRadar(g_screenHeight);
        heard->Forget();
    }
    const std::string caption = watch ? watch->Caption() : std::string();
    DrawGameFrame(radar.get(), world.get(), frames.FrameTime(), frames.PerSecond(),
                  watch ? caption.c_str() : nullptr, !g_settings.ClassicHud);
}

void GameLoop::EndFrame()
{
    const bool secondDone = frames.End();
    functionKeys.Elapse(frames.FrameTime());
    if (secondDone && client->IsConnected())
        client->SendPing();
    if (!platform::Window::PumpMessages())
        g_quitRequested = true;
    // The chat key's own character comes in the pump of the frame that
    // saw the key, if at all; an apostrophe typed later is the player's.
    g_chatKeyPending = false;
}

void GameLoop::Leave()
{
    // Leaving while a line is typed: back to game keys, the line dropped,
    // so the menus' F9 and the next game's controls work.
    if (input->IsTyping()) {
        input->SetKeyboardMode(Input::kGameKeys);
        Console::Instance()->ClearInputLine();
    }
    sound->StopLoops();
    recording.reset();
    EndLoan();
}

} // namespace

int BuildControlList(const std::uint8_t keys[256], std::int32_t list[64])
{
    static constexpr int kOrder[] = {kKeyTurnLeft, kKeyTurnRight, kKeyThrust, kKeyFuelUp, kKeyFire, kKeyMissile,
                                     kKeyMine,     kKeyPlasmaMine, kKeyShields, kKeyCloak, kKeyRepulsor};
    std::memset(list, 0, 64 * sizeof(std::int32_t));
    int count = 0;
    for (int code : kOrder) {
        if (keys[code])
            list[count++] = code;
    }
    return count;
}

void BuildControlMessage(const std::uint8_t keys[256], int shipId, NetMessage& control)
{
    std::int32_t list[64];
    int count = BuildControlList(keys, list);
    if (count == 0)
        count = 1;
    control.Clear();
    control.SetControl(shipId, list, count);
}

void FunctionKeys::Apply(bool f12, bool f11)
{
    if (f12 && cooldown <= 0) {
        showCollisionOutlines = !showCollisionOutlines;
        cooldown = kCooldown;
    }
    if (f11 && cooldown <= 0) {
        showPlayerNames = !showPlayerNames;
        cooldown = kCooldown;
    }
}

void FunctionKeys::Elapse(int ms)
{
    if (cooldown > 0)
        cooldown -= ms;
}

void ReadChatKey(bool held)
{
    if (held) {
        Console::Instance()->ClearInputLine();
        Console::Instance()->SetInputLine("");
        Input::Instance()->SetKeyboardMode(Input::kTyping);
        g_chatKeyPending = !g_chatCharWentBy;
    }
    g_chatCharWentBy = false;
}

void RunGameLoop()
{
    GameLoop game;
    game.Run();
}
