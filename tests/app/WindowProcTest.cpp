#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "base/Console.h"
#include "gfx/screens/AddressEntry.h"
#include "gfx/screens/InternetServers.h"
#include "gfx/screens/MainMenu.h"
#include "gfx/screens/OptionsScreen.h"
#include "gfx/screens/ServerBrowser.h"
#include "platform/Window.h"
#include "support/Keys.h"
#include "support/TempDir.h"

// What typed characters and the arrow, Enter and ESC keys do in each state,
// delivered to the window procedure as the window delivers them.
namespace {

// Every test starts on the title menu with its first entry selected, no
// servers listed, empty options name and address, ship type 0, an empty
// console and fresh input, and settings kept in a folder of its own.
class Keys : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_quitRequested = false;
        g_appState = AppState::MainMenu;
        while (MainMenu::Instance()->Selected() != 1)
            MainMenu::Instance()->SelectNext();
        browser->ClearHosts();
        while (browser->Selected() > 1)
            browser->SelectPrevious();
        g_settings = Settings();
        OptionsScreen::Instance()->SetName("");
        OptionsScreen::Instance()->SetShipType(0);
        AddressEntry::Instance()->SetText("");
        Input::Instance()->Initialize(nullptr);
        Console::Instance()->Clear();
        Console::Instance()->ClearInputLine();
    }
    void TearDown() override { Input::Destroy(); }

    static std::string InputLine()
    {
        char line[Console::kLineSize] = {};
        Console::Instance()->GetInputLine(line, sizeof line);
        return line;
    }
    // In a game, as the chat key leaves it: its own apostrophe still to come.
    static void StartTyping()
    {
        g_appState = AppState::InGame;
        Console::Instance()->SetInputLine("");
        Input::Instance()->SetKeyboardMode(Input::kTyping);
        g_chatKeyPending = true;
    }

    ServerBrowser* browser = ServerBrowser::Instance();
    ScopedConfigHome home;
};

// ESC and typed characters between the screens, each input from the state
// of its row; Enter on the menu is below. The intro stands for the
// instructions and the credits, which leave as it does, and the LAN
// browser for the address browser.
TEST_F(Keys, EachScreenLeavesOnlyOnItsKeys)
{
    const std::string kEsc = "ESC key";
    const struct {
        AppState from;
        std::vector<std::string> inputs;
        AppState to;
    } cases[] = {
        {AppState::MainMenu, {kEsc, "x"}, AppState::MainMenu},
        {AppState::Intro, {kEsc, "q"}, AppState::MainMenu},
        {AppState::Intro, {"\t\x1b%"}, AppState::Intro}, // outside the font's set: dropped
        {AppState::BrowseLan, {"\r"}, AppState::BrowseLan}, // no servers listed
        {AppState::BrowseLan, {kEsc, "\b", "a"}, AppState::MainMenu},
        {AppState::EnterAddress, {kEsc}, AppState::MainMenu},
        {AppState::EnterAddress, {"\r"}, AppState::BrowseAddress},
        {AppState::Options, {kEsc}, AppState::MainMenu},
    };
    for (const auto& c : cases) {
        for (const std::string& input : c.inputs) {
            SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(c.from) << ", " << input);
            g_appState = c.from;
            if (input == kEsc)
                Key(platform::kVkEscape);
            else
                Type(input);
            EXPECT_EQ(g_appState, c.to);
        }
    }
}

// Up from the first item to Quit, and Enter on Quit, are the title menu's
// end-to-end script's.
TEST_F(Keys, MenuArrowsWrapAndEnterActsOnTheSelectedItem)
{
    const AppState targets[] = {AppState::BrowseLan, AppState::EnterAddress, AppState::Instructions,
                                AppState::Options, AppState::Credits};
    for (int item = 1; item <= 5; ++item) {
        g_appState = AppState::MainMenu;
        Type("\r");
        EXPECT_EQ(g_appState, targets[item - 1]) << "item " << item;
        g_appState = AppState::MainMenu;
        Key(platform::kVkDown);
    }
    Key(platform::kVkDown);
    Key(platform::kVkLeft);
    EXPECT_EQ(MainMenu::Instance()->Selected(), 1) << "down from Quit is the first; left moves nothing";
}

// The options name, the chat line and the address are edited alike: the
// font's characters and Backspace, at most 1023 characters. ESC leaves an
// edited name or address on screen for the next visit.
TEST_F(Keys, EveryTextFieldEditsAlike)
{
    const struct {
        AppState state;
        std::function<std::string()> text;
    } fields[] = {{AppState::Options, [] { return OptionsScreen::Instance()->NameText(); }},
                  {AppState::InGame, InputLine},
                  {AppState::EnterAddress, [] { return AddressEntry::Instance()->Text(); }}};
    for (const auto& field : fields) {
        SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(field.state));
        g_appState = field.state;
        if (field.state == AppState::InGame) {
            StartTyping();
            Type("'");
        }
        Type("\b");
        EXPECT_EQ(field.text(), "") << "backspace on nothing";
        Type("Ann\bna ?@\t%");
        EXPECT_EQ(field.text(), "Anna ?@");
        Type(std::string(2000, 'x'));
        EXPECT_EQ(field.text().size(), 1023u);
        Type(std::string(1100, '\b'));
        EXPECT_EQ(field.text(), "");
        if (field.state != AppState::InGame) {
            Type("10.0.0.9\b1");
            Key(platform::kVkEscape);
            EXPECT_EQ(std::tuple(g_appState, field.text()), std::tuple(AppState::MainMenu, std::string("10.0.0.1")));
        }
    }
}

TEST_F(Keys, OnlyTheApostropheOpensTheChatLineAndEnterRunsIt)
{
    g_appState = AppState::InGame;
    Type("hello");
    EXPECT_FALSE(Console::Instance()->IsInputActive());

    Console::Instance()->Print("before");
    StartTyping();
    Type("'/clear\r");
    EXPECT_EQ(Console::Instance()->LineCount(), 0) << "the command ran";
    EXPECT_FALSE(Input::Instance()->IsTyping()) << "Enter ends typing, a command or a line of chat alike";
    EXPECT_FALSE(Console::Instance()->IsInputActive());
}

TEST_F(Keys, OptionsEscapeKeepsEditsUnsavedEnterSavesTheFirst127Characters)
{
    g_appState = AppState::Options;
    const std::string name = "Dana" + std::string(200, 'q');
    Type(name);
    Key(platform::kVkRight); // slot 2: type 5
    Key(platform::kVkEscape);
    Settings stored;
    LoadSettings(stored);
    EXPECT_STREQ(stored.PlayerName, "") << "nothing saved";

    g_appState = AppState::Options;
    Type("\r");
    LoadSettings(stored);
    EXPECT_EQ(std::tuple(g_appState, std::string(stored.PlayerName), stored.ShipType, stored.ResWidth),
              std::tuple(AppState::MainMenu, name.substr(0, 127), 5, 1024))
        << "without a listed mode the display settings stay";

    TempDir blocked;
    blocked.WriteFile("quillrock", "a file where the folder belongs");
    ::setenv("XDG_CONFIG_HOME", blocked.Path().c_str(), 1);
    g_appState = AppState::Options;
    OptionsScreen::Instance()->SetName("");
    Type("Eve\r");
    EXPECT_EQ(g_appState, AppState::MainMenu) << "unwritable settings still return to the menu";
    EXPECT_STREQ(g_settings.PlayerName, "Eve");
}

TEST_F(Keys, BrowserSelectionWrapsAndEnterStartsTheGameWithTheOptionsChoices)
{
    g_appState = AppState::BrowseLan;
    for (const char* name : {"One", "Two", "Three"})
        browser->AddHost(name, 8, 1);
    browser->AddHost(nullptr, 1, 1);
    EXPECT_EQ(browser->HostCount(), 3);
    Key(platform::kVkUp);
    EXPECT_EQ(browser->Selected(), 3) << "up from the first is the last";
    Key(platform::kVkDown);
    Key(platform::kVkDown);
    EXPECT_EQ(browser->Selected(), 2);

    OptionsScreen::Instance()->SetShipType(4);
    OptionsScreen::Instance()->SetName(std::string(200, 'k').c_str());
    Type("\r");
    EXPECT_EQ(std::tuple(g_appState, std::string(g_serverName), g_settings.ShipType, std::string(g_settings.PlayerName)),
              std::tuple(AppState::InGame, std::string("Two"), 4, std::string(127, 'k')));
}

} // namespace

// Tab on the address screen opens the Internet Servers; there the font's
// characters filter, the arrows and function keys arrange the list,
// Enter asks to join and ESC goes back to the address.
TEST_F(Keys, InternetServersAreReachedWithTabAndArrangedByTheirKeys)
{
    ServerTable& table = InternetServers::Instance()->Table();
    table.SetListed({{"Alpha", "10.0.0.1:3001", "Arena", "dm", 0, 2, 8}, {"Bravo", "10.0.0.2:3001", "Hive", "dm", 1, 0, 8}});
    table.SetFilter("");
    g_appState = AppState::EnterAddress;
    Key(platform::kVkTab);
    ASSERT_EQ(g_appState, AppState::BrowseInternet);

    Type("Hiv\bve\t%");
    EXPECT_EQ(table.Filter(), "Hive");
    EXPECT_EQ(table.Rows().size(), 1u);
    Type(std::string(5, '\b'));
    Key(platform::kVkF4);
    EXPECT_EQ(table.Rows().size(), 1u) << "robots alone are hidden";
    Key(platform::kVkF4);
    Key(platform::kVkRight);
    EXPECT_EQ(table.SortColumn(), ServerTable::kMap);
    Key(platform::kVkTab);
    EXPECT_TRUE(table.Descending());
    EXPECT_EQ(table.SelectedRow()->server->name, "Bravo");
    Key(platform::kVkDown);
    Key(platform::kVkF1);
    EXPECT_EQ(table.Favourites(), std::vector<std::string>{"10.0.0.1:3001"});
    EXPECT_EQ(table.Rows().front().server->name, "Alpha");
    Key(platform::kVkF1);

    InternetServers::Instance()->TakeJoin();
    Type("\r");
    EXPECT_TRUE(InternetServers::Instance()->TakeJoin());
    EXPECT_EQ(g_appState, AppState::BrowseInternet) << "the screen's loop joins";
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::EnterAddress);
}
