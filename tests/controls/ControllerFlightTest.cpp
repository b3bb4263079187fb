#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/GameSession.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "base/TextCopy.h"
#include "gfx/Renderer.h"
#include "net/NetClient.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "support/HostThread.h"
#include "support/Keys.h"
#include "support/OffscreenGame.h"
#include "support/ServerThread.h"
#include "support/VirtualPad.h"
#include "world/Ship.h"
#include "world/World.h"

// The player's game against the real server, flown with a controller.
namespace {

class ControllerFlight : public OffscreenTest {};

struct Flight {
    float heading = 0;
    double x = 0, y = 0, speed = 0;
};

bool LocalShip(Flight& out)
{
    World* world = Renderer::Instance()->GetWorld();
    Ship* ship = world ? world->FirstShip() : nullptr;
    if (!ship || ship->GetId() == 0)
        return false;
    Vector3 position, velocity;
    ship->GetPosition(position);
    ship->GetVelocity(velocity);
    out = {ship->GetHeading(), position.x, position.y, std::hypot(velocity.x, velocity.y)};
    return true;
}

// Plugged in mid-game, a controller's stick turns the ship and its A
// thrusts it; pulled out, the ship turns no more and gathers no speed.
TEST_F(ControllerFlight, APadPluggedInMidGameFliesTheShipAndPulledOutStopsIt)
{
    GamePortLock portLock;
    ServerThread server(ServerThread::EndlessArena(NetClient::kGamePort, "Pad Arena", 8), QR_DATA_DIR);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    NetClient::Instance()->SetPort(NetClient::kGamePort);
    NetClient::Instance()->EnumHosts();
    CopyText(g_serverName, sizeof g_serverName, "Pad Arena");
    g_settings = Settings();
    g_settings.SetPlayerName("Pilot");
    Input::Instance()->Initialize(platform::Window::Current());
    g_appState = AppState::InGame;
    g_quitRequested = false;

    std::unique_ptr<VirtualPad> pad;
    Flight plugged, flown, released, later;
    std::uint32_t since = 0;
    int phase = 0;
    const auto after = [&](std::uint32_t ms) { return platform::TickCount() - since >= ms; };
    const auto next = [&] {
        since = platform::TickCount();
        ++phase;
    };
    RunProbed(RunGameLoop, [&](bool timeUp) {
        Flight now;
        if (!LocalShip(now) && !timeUp)
            return false;
        switch (timeUp ? -1 : phase) {
        case 0:
            pad = std::make_unique<VirtualPad>();
            next();
            return false;
        case 1:
            if (platform::Window::Current()->Pads().Count() != 1)
                return false;
            pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
            pad->Button(SDL_CONTROLLER_BUTTON_A, true);
            plugged = now;
            next();
            return false;
        case 2:
            if (!after(1500))
                return false;
            flown = now;
            pad->Unplug();
            next();
            return false;
        case 3:
            // The last held controls reach the server and come back.
            if (!after(300))
                return false;
            released = now;
            next();
            return false;
        case 4:
            if (!after(700))
                return false;
            later = now;
            next();
            [[fallthrough]];
        default:
            Key(platform::kVkEscape);
            return true;
        }
    });
    ASSERT_EQ(phase, 5) << "the game did not get through its phases in time";
    EXPECT_GT(std::abs(flown.heading - plugged.heading), 30.0f) << "the stick turned the ship";
    EXPECT_GT(std::hypot(flown.x - plugged.x, flown.y - plugged.y), 20.0) << "A thrust it";
    EXPECT_FLOAT_EQ(later.heading, released.heading) << "pulled out, it turns no more";
    EXPECT_LE(later.speed, released.speed + 1.0) << "and gathers no speed";
    g_appState = AppState::MainMenu;
}

} // namespace
