#include "app/WindowProc.h"

#include <cstring>

#include "app/AppState.h"
#include "app/BindingCommands.h"
#include "app/CommandInterpreter.h"
#include "app/ControlsKeys.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/SettingsHandover.h"
#include "base/Console.h"
#include "base/TextCopy.h"
#include "gfx/GLDisplay.h"
#include "gfx/Glyphs.h"
#include "gfx/Renderer.h"
#include "gfx/screens/AddressEntry.h"
#include "gfx/screens/ControlsScreen.h"
#include "gfx/screens/InternetServers.h"
#include "gfx/screens/MainMenu.h"
#include "gfx/screens/OptionsScreen.h"
#include "gfx/screens/ServerBrowser.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Window.h"

namespace {

constexpr char kBackspace = 8;
constexpr char kEnter = 13;
constexpr std::uint8_t kEscapeScanCode = 0x01;

void OnOptionsKey(std::uint32_t key)
{
    OptionsScreen* options = OptionsScreen::Instance();
    switch (key) {
    case platform::kVkEscape: g_appState = AppState::MainMenu; break;
    case platform::kVkLeft: options->PreviousShip(); break;
    case platform::kVkRight: options->NextShip(); break;
    case platform::kVkUp: options->PreviousMode(); break;
    case platform::kVkDown: options->NextMode(); break;
    case platform::kVkTab:
        ControlsScreen::Instance()->SetNotice("");
        g_appState = AppState::Controls;
        break;
    default: break;
    }
}

// In the game ESC (or the controller's B, which moves as ESC in the menus)
// leaves only while it is the back key; the game loop reads the back key
// whatever it is. PageUp and PageDown page the console, also while a line
// is typed.
void OnGameKey(std::uint32_t key, std::uint8_t code)
{
    const std::uint8_t source = code ? code : kEscapeScanCode;
    if (key == platform::kVkEscape && Input::Instance()->GameKeyOf(source) == kKeyLeave)
        g_appState = AppState::MainMenu;
    else if (key == platform::kVkPageUp)
        Console::Instance()->PageBack();
    else if (key == platform::kVkPageDown)
        Console::Instance()->PageForward();
}

void OnMainMenuKey(std::uint32_t key)
{
    if (key == platform::kVkUp)
        MainMenu::Instance()->SelectPrevious();
    else if (key == platform::kVkDown)
        MainMenu::Instance()->SelectNext();
}

// The game on the listed server, flying a ship or watching without one.
void StartGame(bool watching)
{
    ServerBrowser* browser = ServerBrowser::Instance();
    if (!browser->HasHosts())
        return;
    g_appState = AppState::InGame;
    g_joinAsWatcher = watching;
    TakeOptionsForGame();
    browser->SelectedName(g_serverName, sizeof g_serverName);
}

// The arrows move the selection in both browsers: the help line offers
// them in both.
void OnBrowserKey(std::uint32_t key)
{
    if (key == platform::kVkEscape)
        g_appState = AppState::MainMenu;
    else if (key == platform::kVkUp)
        ServerBrowser::Instance()->SelectPrevious();
    else if (key == platform::kVkDown)
        ServerBrowser::Instance()->SelectNext();
    else if (key == platform::kVkF6)
        StartGame(true);
}

void OnInternetKey(std::uint32_t key)
{
    InternetServers* screen = InternetServers::Instance();
    ServerTable& table = screen->Table();
    switch (key) {
    case platform::kVkEscape: g_appState = AppState::EnterAddress; break;
    case platform::kVkUp: table.SelectPrevious(); break;
    case platform::kVkDown: table.SelectNext(); break;
    case platform::kVkLeft: table.MoveSort(-1); break;
    case platform::kVkRight: table.MoveSort(1); break;
    case platform::kVkTab: table.SortBy(table.SortColumn()); break;
    case platform::kVkF1: table.ToggleFavourite(); break;
    case platform::kVkF2: table.ToggleHidden(ServerTable::kHideFull); break;
    case platform::kVkF3: table.ToggleHidden(ServerTable::kHideEmpty); break;
    case platform::kVkF4: table.ToggleHidden(ServerTable::kHideRobotsOnly); break;
    case platform::kVkF5: screen->AskRefresh(); break;
    case platform::kVkF6:
        g_joinAsWatcher = true;
        screen->AskJoin();
        break;
    default: break;
    }
}

void OnKeyDown(std::uint32_t key, std::intptr_t detail)
{
    const auto code = static_cast<std::uint8_t>((detail >> 16) & 0xFF);
    const bool repeat = (detail >> 30) & 1;
    switch (g_appState) {
    case AppState::Options: OnOptionsKey(key); break;
    case AppState::Controls:
        if (!repeat)
            OnControlsKey(key, code);
        break;
    case AppState::InGame: OnGameKey(key, code); break;
    case AppState::MainMenu: OnMainMenuKey(key); break;
    case AppState::BrowseLan:
    case AppState::BrowseAddress: OnBrowserKey(key); break;
    case AppState::BrowseInternet: OnInternetKey(key); break;
    case AppState::EnterAddress:
        if (key == platform::kVkTab)
            g_appState = AppState::BrowseInternet;
        else if (key == platform::kVkEscape)
            g_appState = AppState::MainMenu;
        break;
    default:
        if (key == platform::kVkEscape)
            g_appState = AppState::MainMenu;
        break;
    }
}

// A demo's keys, taken by its loop; a held key's repeats would seek or
// toggle again every few frames.
void OnPlaybackKey(std::intptr_t detail)
{
    if (!((detail >> 30) & 1))
        g_playbackKeys->push_back(static_cast<std::uint8_t>((detail >> 16) & 0xFF));
}

// Backspace and typed characters edit a text of at most 1023 characters;
// returns whether the text changed.
bool EditText(char (&text)[kTextBufferSize], char c)
{
    const std::size_t length = std::strlen(text);
    if (c == kBackspace) {
        if (length == 0)
            return false;
        text[length - 1] = '\0';
        return true;
    }
    if (length >= kTextBufferSize - 1)
        return false;
    text[length] = c;
    return true;
}

// Enter on the options screen: save, switch the display if its mode
// changed, back to the menu.
void ConfirmOptions(platform::Window* window)
{
    const Settings before = g_settings;
    SaveSettings();
    if (before.ResWidth != g_settings.ResWidth || before.ResHeight != g_settings.ResHeight ||
        before.ResDepth != g_settings.ResDepth || before.ResFreq != g_settings.ResFreq) {
        GLDisplay* display = GLDisplay::Instance();
        display->RestoreDefaultMode();
        display->ChangeMode(g_settings.ResWidth, g_settings.ResHeight, g_settings.ResDepth, g_settings.ResFreq);
        g_screenWidth = display->Width();
        g_screenHeight = display->Height();
        if (window && g_settings.Windowed) {
            g_settings.WindowWidth = g_settings.ResWidth;
            g_settings.WindowHeight = g_settings.ResHeight;
            window->SetWindowed(g_settings.ResWidth, g_settings.ResHeight);
        } else if (window) {
            window->Move(g_settings.ResWidth, g_settings.ResHeight);
        }
        Renderer::Instance()->Resize(g_settings.ResWidth, g_settings.ResHeight);
    }
    g_appState = AppState::MainMenu;
}

void OnOptionsChar(platform::Window* window, char c)
{
    if (c == kEnter) {
        ConfirmOptions(window);
        return;
    }
    OptionsScreen* options = OptionsScreen::Instance();
    char text[kTextBufferSize] = {};
    options->Name(text, sizeof text);
    if (EditText(text, c))
        options->SetName(text);
}

// The chat and command line, while the keyboard is in typing mode.
void OnGameChar(char c)
{
    Console* console = Console::Instance();
    Input* input = Input::Instance();
    if (!input->IsTyping()) {
        g_chatCharWentBy = g_chatCharWentBy || input->TypesChat(c);
        return;
    }
    if (g_chatKeyPending) {
        g_chatKeyPending = false;
        if (input->TypesChat(c))
            return;
    }
    char line[kTextBufferSize] = {};
    console->GetInputLine(line, sizeof line);
    if (c == kEnter) {
        CommandInterpreter interpreter;
        if (!interpreter.Execute(line)) {
            NetMessage chat;
            chat.SetText(line);
            NetClient::Instance()->Send(chat);
        }
        console->ClearInputLine();
        console->SetInputActive(false);
        input->SetKeyboardMode(Input::kGameKeys);
        return;
    }
    if (EditText(line, c))
        console->SetInputLine(line);
}

void OnAddressChar(char c)
{
    if (c == kEnter) {
        g_appState = AppState::BrowseAddress;
        return;
    }
    AddressEntry* entry = AddressEntry::Instance();
    char text[kTextBufferSize] = {};
    entry->GetText(text, sizeof text);
    if (EditText(text, c))
        entry->SetText(text);
}

// Typed characters filter the list; Enter joins the selected server.
void OnInternetChar(char c)
{
    InternetServers* screen = InternetServers::Instance();
    if (c == kEnter) {
        g_joinAsWatcher = false;
        screen->AskJoin();
        return;
    }
    char text[kTextBufferSize] = {};
    CopyText(text, sizeof text, screen->Table().Filter().c_str());
    if (EditText(text, c))
        screen->Table().SetFilter(text);
}

// Enter on a listed server starts the game with the options' ship and name.
void OnBrowserChar(char c)
{
    if (c != kEnter) {
        g_appState = AppState::MainMenu;
        return;
    }
    StartGame(false);
}

void OnMainMenuChar(char c)
{
    if (c != kEnter)
        return;
    switch (MainMenu::Instance()->Selected()) {
    case 1: g_appState = AppState::BrowseLan; break;
    case 2: g_appState = AppState::EnterAddress; break;
    case 3: g_appState = AppState::Instructions; break;
    case 4: g_appState = AppState::Options; break;
    case 5: g_appState = AppState::Credits; break;
    case 6: g_quitRequested = true; break;
    default: break;
    }
}

void OnChar(platform::Window* window, char c)
{
    if (!IsTypeable(c) && c != kBackspace && c != kEnter)
        return;
    switch (g_appState) {
    case AppState::Options:
        OnOptionsChar(window, c);
        break;
    case AppState::MainMenu:
        OnMainMenuChar(c);
        break;
    case AppState::InGame:
        OnGameChar(c);
        break;
    case AppState::EnterAddress:
        OnAddressChar(c);
        break;
    case AppState::BrowseLan:
    case AppState::BrowseAddress:
        OnBrowserChar(c);
        break;
    case AppState::BrowseInternet:
        OnInternetChar(c);
        break;
    case AppState::Intro:
    case AppState::Instructions:
    case AppState::Credits:
        g_appState = AppState::MainMenu;
        break;
    default:
        break;
    }
}

// The window's size as the player left it, or the layout's own when the
// settings hold no size a screen could show.
void ShowWindowed(platform::Window* window)
{
    constexpr int kSmallest = 64;
    constexpr int kLargest = 8192;
    const auto fits = [](int side) { return side >= kSmallest && side <= kLargest; };
    const bool remembered = fits(g_settings.WindowWidth) && fits(g_settings.WindowHeight);
    window->SetWindowed(remembered ? g_settings.WindowWidth : g_screenWidth,
                        remembered ? g_settings.WindowHeight : g_screenHeight);
}

// Alt+Enter: full screen in the options' mode, or a window.
void ToggleWindowed(platform::Window* window)
{
    g_settings.Windowed = g_settings.Windowed ? 0 : 1;
    WriteControlSettings(g_settings);
    if (!window)
        return;
    if (g_settings.Windowed)
        ShowWindowed(window);
    else
        window->SetFullScreen(g_screenWidth, g_screenHeight);
}

// The picture keeps the layout of the display mode; a window of another
// size shows it scaled and centred. A window's size is remembered.
void OnSize(platform::Window* window, int width, int height)
{
    if (window && window->IsWindowed()) {
        g_settings.WindowWidth = width;
        g_settings.WindowHeight = height;
    }
    if ((width == g_screenWidth && height == g_screenHeight) || g_screenWidth <= 0 || g_screenHeight <= 0)
        Renderer::Instance()->Resize(width, height);
    else
        Renderer::Instance()->Fit(width, height, g_screenWidth, g_screenHeight);
}

} // namespace

long WindowProc(platform::Window* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case platform::kMsgCreate:
        Renderer::Instance()->Init(window);
        Input::Instance()->Initialize(window);
        ApplyBindings(false);
        if (window && g_settings.Windowed)
            ShowWindowed(window);
        return 0;
    case platform::kMsgSize:
        OnSize(window, static_cast<int>(lParam & 0xFFFF), static_cast<int>((lParam >> 16) & 0xFFFF));
        return 0;
    case platform::kMsgSetFocus:
    case platform::kMsgKillFocus:
        Input::Instance()->SetFocus(message == platform::kMsgSetFocus);
        return 0;
    case platform::kMsgSysKeyDown:
        if (wParam == platform::kVkReturn)
            ToggleWindowed(window);
        return 0;
    case platform::kMsgDestroy:
        if (window && window->IsWindowed())
            WriteControlSettings(g_settings);
        if (Renderer::Exists())
            Renderer::Destroy();
        if (Input::Exists())
            Input::Destroy();
        g_quitRequested = true;
        return 0;
    case platform::kMsgKeyDown:
        if (g_playbackKeys)
            OnPlaybackKey(lParam);
        else
            OnKeyDown(static_cast<std::uint32_t>(wParam), lParam);
        return 0;
    case platform::kMsgChar:
        // A controller's Enter is for the menus: in a game its button
        // thrusts, and must not end a line being typed.
        if ((lParam != 0 && g_appState == AppState::InGame) || g_playbackKeys)
            return 0;
        OnChar(window, static_cast<char>(wParam));
        return 0;
    default:
        return 0;
    }
}
