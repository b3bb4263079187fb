#include "app/StateLoops.h"

#include <GL/gl.h>

#include <cstdint>

#include "app/AppState.h"
#include "app/FramePacing.h"
#include "app/GameSession.h"
#include "app/InternetBrowsing.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/SoundBoard.h"
#include "gfx/Renderer.h"
#include "gfx/screens/AddressEntry.h"
#include "gfx/screens/ControlsScreen.h"
#include "gfx/screens/CreditsScreen.h"
#include "gfx/screens/InstructionsScreen.h"
#include "gfx/screens/InternetServers.h"
#include "gfx/screens/MainMenu.h"
#include "gfx/screens/OptionsScreen.h"
#include "gfx/screens/Screen.h"
#include "gfx/screens/ServerBrowser.h"
#include "net/NetClient.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "world/GameKey.h"

namespace {

constexpr std::uint32_t kCaptionTime = 3000;

// The list the player moves along on the current screen, -1 for none.
int MenuSelection(AppState state)
{
    switch (state) {
    case AppState::MainMenu: return MainMenu::Instance()->Selected();
    case AppState::BrowseLan:
    case AppState::BrowseAddress: return ServerBrowser::Instance()->Selected();
    case AppState::BrowseInternet: return static_cast<int>(InternetServers::Instance()->Table().Selected());
    case AppState::Options: return OptionsScreen::Instance()->ModeIndex();
    case AppState::Controls: return ControlsScreen::Instance()->Selected();
    default: return -1;
    }
}

// Paces the frame, reads the game keys (F9 quits) and empties the message
// queue. False when the pass should end at once.
bool PollKeysAndMessages()
{
    PaceFrame();
    std::uint8_t keys[256];
    Input::Instance()->ReadGameKeys(keys);
    if (keys[kKeyQuit]) {
        g_quitRequested = true;
        return false;
    }
    SoundBoard::Instance()->ReadMuteKey(keys[kKeyMute] != 0);
    if (!platform::Window::PumpMessages())
        g_quitRequested = true;
    SoundBoard::Instance()->HearMenus(g_appState, MenuSelection(g_appState));
    return true;
}

} // namespace

void RunIntroLoop()
{
    Renderer* renderer = Renderer::Instance();
    bool first = true;
    std::uint32_t start = 0;
    while (!g_quitRequested && g_appState == AppState::Intro) {
        if (!PollKeysAndMessages())
            continue;
        if (first) {
            start = platform::TickCount();
            first = false;
        }
        renderer->BeginFrame();
        glEnable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const std::uint32_t elapsed = platform::TickCount() - start;
        if (elapsed < kCaptionTime) {
            Screen::DrawCentred(20.0f, "Brindlewood Institute of Technology");
            Screen::DrawCentred(-20.0f, "presents");
        } else if (elapsed < 2 * kCaptionTime) {
            Screen::DrawCentred(20.0f, "a");
            Screen::DrawCentred(0.0f, "ashTUB");
            Screen::DrawCentred(-20.0f, "production");
        } else if (g_appState == AppState::Intro) {
            g_appState = AppState::MainMenu;
        }
        renderer->EndFrame();
    }
}

// The loop of a front-end screen; the options and address screens also let
// the network client do its work each frame.
void RunScreenLoop(AppState state, Screen* screen, bool networkWork)
{
    screen->SetSize(static_cast<float>(g_screenWidth), static_cast<float>(g_screenHeight));
    while (!g_quitRequested && g_appState == state) {
        if (networkWork)
            NetClient::Instance()->DoWork(NetClient::kWorkBudget);
        if (!PollKeysAndMessages())
            continue;
        screen->Draw(0, 0);
    }
}

// Copies the network client's hosts into the browser.
void CollectHosts(ServerBrowser* browser, NetClient* client)
{
    browser->ClearHosts();
    client->HostsBegin();
    char name[kTextBufferSize];
    int maxPlayers = 0;
    int currentPlayers = 0;
    while (client->HostsNext(name, sizeof name, maxPlayers, currentPlayers))
        browser->AddHost(name, maxPlayers, currentPlayers);
}

// The search starts after the first frame (which shows the searching
// notice) and its results are taken on the second. Answers that come in
// later refresh the list whenever the number of hosts grows.
void RunBrowserLoop(bool typedAddress)
{
    ServerBrowser* browser = ServerBrowser::Instance();
    browser->SetSize(static_cast<float>(g_screenWidth), static_cast<float>(g_screenHeight));
    browser->ShowWatchKey(!g_settings.ClassicHud);
    browser->ClearHosts();
    browser->SetProblem({});
    NetClient* client = NetClient::Instance();
    client->SetPort(NetClient::kGamePort);
    client->Initialize();
    bool firstFrame = true;
    bool searchStarted = false;
    bool collectedOnce = false;
    std::size_t collected = 0;
    while (!g_quitRequested && (g_appState == AppState::BrowseLan || g_appState == AppState::BrowseAddress)) {
        client->DoWork(NetClient::kWorkBudget);
        browser->SetSearching(firstFrame);
        if (!PollKeysAndMessages())
            continue;
        browser->Draw(0, 0);
        if (searchStarted || (collectedOnce && client->HostCount() != collected)) {
            CollectHosts(browser, client);
            collected = client->HostCount();
            collectedOnce = true;
            searchStarted = false;
        }
        if (firstFrame) {
            char address[kTextBufferSize] = {};
            if (typedAddress)
                AddressEntry::Instance()->GetText(address, sizeof address);
            // A search that could not be made lists nothing, not even the
            // hosts an earlier one found: it says why instead.
            searchStarted = typedAddress ? client->EnumHostsAt(address) : client->EnumHosts();
            if (!searchStarted)
                browser->SetProblem(client->SearchProblem());
            firstFrame = false;
        }
    }
}

// The fetch and the pings go on beside the frames; the join's search is
// the one wait, as it is for a typed address.
void RunInternetLoop()
{
    InternetServers* screen = InternetServers::Instance();
    screen->SetSize(static_cast<float>(g_screenWidth), static_cast<float>(g_screenHeight));
    InternetBrowsing browsing;
    while (!g_quitRequested && g_appState == AppState::BrowseInternet) {
        if (!PollKeysAndMessages())
            continue;
        if (screen->TakeRefresh())
            browsing.Refresh();
        browsing.Frame();
        screen->Draw(0, 0);
        if (screen->TakeJoin())
            browsing.Join();
    }
}

void RunDispatcher()
{
    while (!g_quitRequested) {
        switch (g_appState) {
        case AppState::Intro: RunIntroLoop(); break;
        case AppState::MainMenu: RunScreenLoop(g_appState, MainMenu::Instance(), false); break;
        case AppState::Options: RunScreenLoop(g_appState, OptionsScreen::Instance(), true); break;
        case AppState::Controls: RunScreenLoop(g_appState, ControlsScreen::Instance(), true); break;
        case AppState::Instructions: RunScreenLoop(g_appState, InstructionsScreen::Instance(), false); break;
        case AppState::Credits: RunScreenLoop(g_appState, CreditsScreen::Instance(), false); break;
        case AppState::EnterAddress:
            AddressEntry::Instance()->ShowListKey(!g_settings.ClassicHud);
            RunScreenLoop(g_appState, AddressEntry::Instance(), true);
            break;
        case AppState::BrowseLan: RunBrowserLoop(false); break;
        case AppState::BrowseAddress: RunBrowserLoop(true); break;
        case AppState::BrowseInternet: RunInternetLoop(); break;
        case AppState::InGame: RunGameLoop(); break;
        default: g_quitRequested = true; break;
        }
    }
}
