#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/AppState.h"
#include "app/GameSession.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/StateLoops.h"
#include "base/Console.h"
#include "gfx/Renderer.h"
#include "gfx/screens/ServerBrowser.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Window.h"
#include "support/HostThread.h"
#include "support/Keys.h"
#include "support/OffscreenGame.h"
#include "world/Ship.h"
#include "world/World.h"

// The loops of the game's states, run for real in the offscreen window
// against a host on the game's port.
namespace {

using namespace std::chrono_literals;

// Whether some control the host received names the ship.
bool ControlsName(HostThread& host, int id)
{
    for (const auto& bytes : host.Received()) {
        NetMessage message;
        int sender = 0;
        if (message.Parse(bytes.data(), bytes.size()) && message.Kind() == kMsgControl)
            message.GetId(sender);
        if (sender == id)
            return true;
    }
    return false;
}

// The world the renderer draws and the client's state, as the loop has them.
std::string GameAsSeen()
{
    World* world = Renderer::Instance()->GetWorld();
    Ship* first = world ? world->FirstShip() : nullptr;
    if (!first)
        return "no ship";
    return std::to_string(world->ShipCount()) + " ship(s), first " + std::to_string(first->GetId()) + " " +
           (first->Name() ? first->Name() : "") + " type " + std::to_string(first->GetShipType()) +
           (first->IsLocal() ? " local" : "") + (NetClient::Instance()->IsConnected() ? ", connected" : "") +
           (g_appState == AppState::InGame ? ", in game" : "");
}

// A host that drops the player leaves an idle game: the world rebuilt
// around a fresh local ship alone, no new connection, and the game state
// kept until ESC.
class StateLoop : public OffscreenTest {};

TEST_F(StateLoop, AHostDropLeavesAnIdleGameUntilEscape)
{
    GamePortLock portLock;
    HostThread host("Dropper", 4, NetClient::kGamePort);
    ASSERT_TRUE(host.Hosting());
    NetClient::Instance()->SetPort(NetClient::kGamePort);
    NetClient::Instance()->EnumHosts();
    CopyText(g_serverName, sizeof g_serverName, "Dropper");
    g_settings = Settings();
    g_settings.SetPlayerName("Ace");
    g_settings.ShipType = 2;
    g_appState = AppState::InGame;
    g_quitRequested = false;

    std::thread server([&] {
        if (!host.WaitForReceived(1, 15000))
            return;
        // The reply names the local ship 55 and brings an opponent; once the
        // controls carry 55 both are in the world.
        NetMessage reply, rival;
        reply.SetJoin(55, 0, "Ace");
        rival.SetPlayerSpawn(8, 100, 100, 1, "Rival");
        host.SendToFirst({&reply, &rival}, platform::Delivery::Reliable);
        for (int i = 0; i < 1500 && !ControlsName(host, 55); ++i)
            std::this_thread::sleep_for(10ms);
        const auto player = host.Joined().at(0);
        host.Run([player](platform::SessionServer& s) { s.Drop(player); });
    });
    const std::string idle = "1 ship(s), first 0 Ace type 2 local, in game";
    std::string seen;
    RunProbed(RunGameLoop, [&](bool timeUp) {
        seen = GameAsSeen();
        if (seen != idle && !timeUp)
            return false;
        Key(platform::kVkEscape);
        return true;
    });
    server.join();

    EXPECT_TRUE(ControlsName(host, 55)) << "the game was under way before the drop";
    EXPECT_EQ(seen, idle) << "unconnected, waiting for ESC";
    EXPECT_EQ(std::tuple(g_appState, g_quitRequested, host.Joined().size()), std::tuple(AppState::MainMenu, false, 1u))
        << "ESC leaves for the menu, not the program; no new connection is attempted";
}

// The chat key's own apostrophe goes by while the keys still fly the ship,
// before the frame that sees the key, or it comes just after: either way it
// stays out of the line, and one the player types next is kept, however
// slow the frame.
TEST_F(StateLoop, AnApostropheTypedAfterTheChatKeyIsKept)
{
    g_appState = AppState::InGame;
    const auto line = [](const char* before, bool seenBetween, const char* after) {
        Input::Instance()->SetKeyboardMode(Input::kGameKeys);
        Type(before);
        if (seenBetween)
            ReadChatKey(false);
        ReadChatKey(true);
        Type(after);
        char typed[64] = {};
        Console::Instance()->GetInputLine(typed, sizeof typed);
        Input::Instance()->SetKeyboardMode(Input::kGameKeys);
        Console::Instance()->ClearInputLine();
        return std::string(typed);
    };
    EXPECT_EQ(line("'", false, "'ok"), "'ok") << "its own went by before the line opened";
    EXPECT_EQ(line("", false, "'ok"), "ok") << "its own comes after the line opened";
    EXPECT_EQ(line("'", true, "'ok"), "ok") << "a frame between forgets what went by";
    EXPECT_EQ(line("'", false, "ok'"), "ok'");
    g_appState = AppState::MainMenu;
}

// A host that answers only after the search has given up is still listed:
// the browser takes up hosts whenever more have answered.
TEST_F(StateLoop, AnswersAfterTheSearchStillReachTheBrowsersList)
{
    ::setenv("QUILLROCK_LOOPBACK_ONLY", "1", 1);
    GamePortLock portLock;
    HostThread host("Latecomer", 8, NetClient::kGamePort);
    ASSERT_TRUE(host.Hosting());
    std::thread stall = host.Stall(1500ms);

    ServerBrowser* browser = ServerBrowser::Instance();
    g_appState = AppState::BrowseLan;
    g_quitRequested = false;
    RunProbed(RunDispatcher, [&](bool timeUp) { return g_quitRequested = browser->HasHosts() || timeUp; });
    stall.join();
    g_quitRequested = false;
    NetClient::Destroy();

    ASSERT_EQ(browser->HostCount(), 1);
    while (browser->Selected() != 1)
        browser->SelectNext();
    char name[16];
    browser->SelectedName(name, sizeof name);
    EXPECT_STREQ(name, "Latecomer");
}

} // namespace
