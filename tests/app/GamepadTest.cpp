#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <functional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/GameSession.h"
#include "app/Input.h"
#include "app/KeyBindings.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Gamepads.h"
#include "platform/Window.h"
#include "support/HostThread.h"
#include "support/Keys.h"
#include "support/OffscreenGame.h"
#include "support/VirtualPad.h"
#include "world/GameKey.h"

namespace {

using platform::PadCode;

// The codes of the newest control the host received, from the index on.
std::vector<int> LatestControl(HostThread& host, std::size_t from)
{
    const auto received = host.Received();
    for (std::size_t i = received.size(); i-- > from;) {
        NetMessage message;
        if (message.Parse(received[i].data(), received[i].size()) && message.Kind() == kMsgControl)
            return std::vector<int>(message.Codes(), message.Codes() + message.CodeCount());
    }
    return {};
}

class Gamepad : public OffscreenTest {};

// Plugged in mid-game, a controller turns, thrusts and fires; the window
// losing the focus lets go of it, and so does pulling it out.
TEST_F(Gamepad, PluggedInMidGameItFliesAndPulledOutItLetsGo)
{
    GamePortLock portLock;
    HostThread host("Pad Host", 4, NetClient::kGamePort);
    ASSERT_TRUE(host.Hosting());
    NetClient::Instance()->SetPort(NetClient::kGamePort);
    NetClient::Instance()->EnumHosts();
    CopyText(g_serverName, sizeof g_serverName, "Pad Host");
    g_settings = Settings();
    platform::Window* window = platform::Window::Current();
    Input::Instance()->Initialize(window);
    g_appState = AppState::InGame;
    g_quitRequested = false;

    std::unique_ptr<VirtualPad> pad;
    const std::vector<int> flying = {kKeyTurnLeft, kKeyThrust, kKeyFire}, nothing = {0};
    // Each step waits for the controls the host last received (none: for the
    // game to open the pad), then acts. The pad is moved only once open.
    const struct {
        const std::vector<int>* awaited;
        std::function<void()> act;
    } steps[] = {
        {&nothing, [&] { pad = std::make_unique<VirtualPad>(); }},
        {nullptr,
         [&] {
             pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
             pad->Button(SDL_CONTROLLER_BUTTON_A, true);
             pad->Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
         }},
        {&flying, [&] { WindowProc(window, platform::kMsgKillFocus, 0, 0); }},
        {&nothing, [&] { WindowProc(window, platform::kMsgSetFocus, 0, 0); }},
        {&flying, [&] { pad->Unplug(); }},
        {&nothing, [] {}},
    };
    std::size_t step = 0, mark = 0;
    RunProbed(RunGameLoop, [&](bool timeUp) {
        const auto& awaited = steps[step].awaited;
        if (!timeUp && (awaited ? LatestControl(host, mark) == *awaited : window->Pads().Count() == 1)) {
            steps[step++].act();
            mark = host.Received().size();
        }
        if (!timeUp && step < std::size(steps))
            return false;
        Key(platform::kVkEscape);
        return true;
    });
    EXPECT_EQ(step, std::size(steps)) << "the game stopped short of this step";
    EXPECT_EQ(window->Pads().Count(), 0);
    g_appState = AppState::MainMenu;
}

// A stick counts past its dead zone, and each direction, trigger and
// button presses once until let go, as a menu key would.
TEST_F(Gamepad, SticksTriggersAndButtonsPressOnceEach)
{
    platform::Gamepads pads;
    constexpr Uint8 kButtonA = 0x80 | SDL_CONTROLLER_BUTTON_A, kButtonUp = 0x80 | SDL_CONTROLLER_BUTTON_DPAD_UP,
                    kButtonMisc = 0x80 | SDL_CONTROLLER_BUTTON_MISC1;
    // Axes by number, buttons with the top bit set.
    const struct {
        Uint8 axis;
        Sint16 value;
        int pressed;
    } moves[] = {
        {SDL_CONTROLLER_AXIS_LEFTX, -8000, -1},          {SDL_CONTROLLER_AXIS_LEFTX, -9000, platform::kPadStickLeft},
        {SDL_CONTROLLER_AXIS_LEFTX, -32768, -1},         {SDL_CONTROLLER_AXIS_LEFTX, 0, -1},
        {SDL_CONTROLLER_AXIS_LEFTX, 32767, platform::kPadStickRight}, {SDL_CONTROLLER_AXIS_LEFTY, 20000, platform::kPadStickDown},
        {SDL_CONTROLLER_AXIS_LEFTY, -20000, platform::kPadStickUp}, {SDL_CONTROLLER_AXIS_RIGHTX, 32767, -1},
        {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000, platform::kPadLeftTrigger},
        {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, -1},    {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0, -1},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 30000, platform::kPadRightTrigger},
        {kButtonA, 0, platform::kPadA}, {kButtonUp, 0, platform::kPadUp}, {kButtonMisc, 0, -1},
    };
    for (const auto& move : moves) {
        SDL_Event event{};
        if (move.axis & 0x80) {
            event.type = SDL_CONTROLLERBUTTONDOWN;
            event.cbutton.button = move.axis & 0x7F;
        } else {
            event.type = SDL_CONTROLLERAXISMOTION;
            event.caxis.axis = move.axis;
            event.caxis.value = move.value;
        }
        EXPECT_EQ(pads.Handle(&event), move.pressed) << int(move.axis) << " at " << move.value;
    }
}

// The stick turns by degrees: past the dead zone its share of the travel
// is the share of reads that hold the turn, evenly spread.
TEST(PadTurning, TheStickHoldsTheTurnInTheShareItIsPushed)
{
    const struct {
        int value;
        float share;
    } pushes[] = {{0, 0.0f}, {8192, 0.0f}, {-8192, 0.0f}, {19096, 0.5f}, {-19096, 0.5f}, {30000, 1.0f}, {-32768, 1.0f}};
    for (const auto& push : pushes)
        EXPECT_NEAR(platform::PushedShare(push.value), push.share, 1e-4) << push.value;

    const struct {
        float share;
        std::string held;
    } reads[] = {{1.0f, "xxxxxxxx"}, {0.5f, ".x.x.x.x"}, {0.25f, "...x...x"}, {0.0f, "........"}};
    for (const auto& read : reads) {
        float carried = 0.0f;
        std::string held;
        for (int i = 0; i < 8; ++i)
            held += platform::HeldThisRead(read.share, carried) ? 'x' : '.';
        EXPECT_EQ(held, read.held) << read.share;
    }
    float carried = 0.9f;
    EXPECT_FALSE(platform::HeldThisRead(0.0f, carried));
    EXPECT_FALSE(platform::HeldThisRead(0.25f, carried)) << "let go, the stick starts afresh";
}

// Controller inputs' defaults, and their kind kept apart: a stored
// controller entry never takes keys, nor a key entry inputs.
TEST(PadBindings, DefaultsAndKindsStayApart)
{
    const KeyBindings first;
    const char* pads[] = {"LEFT/STICK LEFT", "RIGHT/STICK RIGHT", "A/RIGHT TRIGGER", "LEFT SHOULDER", "RIGHT SHOULDER/B",
                          "X", "Y", "LEFT TRIGGER", "LEFT STICK", "BACK", "-", "-", "-", "-", "START"};
    for (int action = 0; action < KeyBindings::kActions; ++action)
        EXPECT_EQ(first.PadsText(action), pads[action]) << KeyBindings::Action(action).name;

    KeyBindings bindings;
    const int cloak = KeyBindings::ActionNamed("cloak");
    const std::uint8_t key[] = {0x24, 0};
    const std::uint8_t pad[] = {PadCode(platform::kPadGuide), 0};
    EXPECT_FALSE(bindings.Restore(cloak, true, key, 2));
    EXPECT_FALSE(bindings.Restore(cloak, false, pad, 2));
    EXPECT_TRUE(bindings.Restore(cloak, true, pad, 2));
    int holder = -1;
    EXPECT_EQ(bindings.Bind(cloak, PadCode(platform::kPadRightStick), holder), KeyBindings::Outcome::Bound);
    EXPECT_EQ(std::tuple(bindings.KeysText(cloak), bindings.PadsText(cloak)),
              std::tuple(std::string("S"), std::string("RIGHT STICK/GUIDE"))) << "keys kept, two of each kind";
}

} // namespace
