#include <gtest/gtest.h>

#include <string>

#include "app/AppState.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "base/Console.h"
#include "gfx/screens/AddressEntry.h"
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
// servers listed, an empty options name for ship type 0, an empty console
// and fresh input, and settings kept in a folder of its own.
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
    void StartTyping()
    {
        Console::Instance()->SetInputLine("");
        Input::Instance()->SetKeyboardMode(Input::kTyping);
        g_chatKeyPending = true;
    }

    ServerBrowser* browser = ServerBrowser::Instance();
    ScopedConfigHome home;
};
template <AppState state>
class KeysIn : public Keys {
protected:
    void SetUp() override
    {
        Keys::SetUp();
        g_appState = state;
    }
};
using KeysInMenu = KeysIn<AppState::MainMenu>;
using KeysInChat = KeysIn<AppState::InGame>;
using KeysInOptions = KeysIn<AppState::Options>;
using KeysInBrowser = KeysIn<AppState::BrowseLan>;
using KeysInAddress = KeysIn<AppState::EnterAddress>;

TEST_F(KeysInMenu, MenuArrowsWrapAround)
{
    Key(platform::kVkUp);
    EXPECT_EQ(MainMenu::Instance()->Selected(), 6);
    Key(platform::kVkDown);
    EXPECT_EQ(MainMenu::Instance()->Selected(), 1);
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu) << "ESC does nothing on the menu";
    Key(platform::kVkLeft);
    EXPECT_EQ(MainMenu::Instance()->Selected(), 1);
}

TEST_F(KeysInMenu, EnterActsOnTheSelectedItem)
{
    const AppState targets[] = {AppState::BrowseLan, AppState::EnterAddress, AppState::Instructions,
                                AppState::Options, AppState::Credits};
    for (int item = 1; item <= 5; ++item) {
        g_appState = AppState::MainMenu;
        Type("x");
        EXPECT_EQ(g_appState, AppState::MainMenu) << "other characters do nothing";
        Type("\r");
        EXPECT_EQ(g_appState, targets[item - 1]) << "item " << item;
        g_appState = AppState::MainMenu;
        Key(platform::kVkDown);
    }
    EXPECT_EQ(MainMenu::Instance()->Selected(), 6);
    EXPECT_FALSE(g_quitRequested);
    Type("\r");
    EXPECT_TRUE(g_quitRequested);
}

TEST_F(KeysInMenu, TypingOrEscapeReturnsToTheMenu)
{
    for (AppState state : {AppState::Intro, AppState::Instructions, AppState::Credits}) {
        g_appState = state;
        Type("q");
        EXPECT_EQ(g_appState, AppState::MainMenu);
        g_appState = state;
        Key(platform::kVkEscape);
        EXPECT_EQ(g_appState, AppState::MainMenu);
    }
    g_appState = AppState::Intro;
    Type("\t");
    Type("\x1b");
    Type("%");
    EXPECT_EQ(g_appState, AppState::Intro) << "characters outside the set are dropped";
}

TEST_F(KeysInChat, OnlyTheApostropheOpensTheLineAndIsNotTyped)
{
    Type("hello");
    EXPECT_EQ(InputLine(), "");
    EXPECT_FALSE(Console::Instance()->IsInputActive());
    StartTyping();
    Type("'it's");
    EXPECT_EQ(InputLine(), "it's");
    Type("\b\b");
    EXPECT_EQ(InputLine(), "it");
    Type(std::string(1100, 'z'));
    EXPECT_EQ(InputLine().size(), 1023u);
}

TEST_F(KeysInChat, EnterRunsCommandsAndEndsTyping)
{
    Console::Instance()->Print("before");
    StartTyping();
    Type("'/clear\r");
    EXPECT_EQ(Console::Instance()->LineCount(), 0) << "the command ran";
    EXPECT_FALSE(Input::Instance()->IsTyping());
    EXPECT_FALSE(Console::Instance()->IsInputActive());
    StartTyping();
    Type("'\r");
    EXPECT_FALSE(Input::Instance()->IsTyping()) << "an empty line is sent as chat and ends typing";
}

TEST_F(KeysInOptions, TypingEditsTheNameWithinItsLimit)
{
    Type("Ann\bna?");
    EXPECT_EQ(OptionsScreen::Instance()->NameText(), "Anna?");
    Type("\t%");
    EXPECT_EQ(OptionsScreen::Instance()->NameText(), "Anna?") << "outside the set";
    Type(std::string(2000, 'x'));
    EXPECT_EQ(OptionsScreen::Instance()->NameText().size(), 1023u);
    Type(std::string(1100, '\b'));
    EXPECT_EQ(OptionsScreen::Instance()->NameText(), "");
}

TEST_F(KeysInOptions, EscapeKeepsEditsUnsavedEnterSavesTheFirst127Characters)
{
    const std::string name = "Dana" + std::string(200, 'q');
    Type(name);
    Key(platform::kVkRight); // slot 2: type 5
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_EQ(OptionsScreen::Instance()->NameText(), name) << "the edit stays on screen";
    Settings stored;
    LoadSettings(stored);
    EXPECT_STREQ(stored.PlayerName, "") << "nothing saved";

    g_appState = AppState::Options;
    Type("\r");
    EXPECT_EQ(g_appState, AppState::MainMenu);
    LoadSettings(stored);
    EXPECT_EQ(std::string(stored.PlayerName), name.substr(0, 127));
    EXPECT_EQ(stored.ShipType, 5);
    EXPECT_EQ(stored.ResWidth, 1024) << "without a listed mode the display settings stay";
}

TEST_F(KeysInOptions, UnwritableSettingsStillReturnToTheMenu)
{
    TempDir blocked;
    blocked.WriteFile("quillrock", "a file where the folder belongs");
    ::setenv("XDG_CONFIG_HOME", blocked.Path().c_str(), 1);
    Type("Eve\r");
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_STREQ(g_settings.PlayerName, "Eve");
}

TEST_F(KeysInBrowser, SelectionWrapsOverTheServers)
{
    for (const char* name : {"One", "Two", "Three"})
        browser->AddHost(name, 8, 1);
    browser->AddHost(nullptr, 1, 1);
    EXPECT_EQ(browser->HostCount(), 3);
    Key(platform::kVkUp);
    EXPECT_EQ(browser->Selected(), 3);
    Key(platform::kVkDown);
    EXPECT_EQ(browser->Selected(), 1);
    char name[8];
    Key(platform::kVkDown);
    browser->SelectedName(name, sizeof name);
    EXPECT_STREQ(name, "Two");
}

TEST_F(KeysInBrowser, ALetterOrEscapeLeavesButEnterWithoutServersStays)
{
    for (AppState state : {AppState::BrowseLan, AppState::BrowseAddress}) {
        g_appState = state;
        Type("\r");
        EXPECT_EQ(g_appState, state);
        Type("\b");
        EXPECT_EQ(g_appState, AppState::MainMenu);
        g_appState = state;
        Key(platform::kVkEscape);
        EXPECT_EQ(g_appState, AppState::MainMenu);
    }
}

TEST_F(KeysInBrowser, EnterStartsTheGameWithTheOptionsChoices)
{
    browser->AddHost("Dogfight", 8, 2);
    OptionsScreen::Instance()->SetShipType(4);
    OptionsScreen::Instance()->SetName(std::string(200, 'k').c_str());
    Type("\r");
    EXPECT_EQ(g_appState, AppState::InGame);
    EXPECT_STREQ(g_serverName, "Dogfight");
    EXPECT_EQ(g_settings.ShipType, 4);
    EXPECT_EQ(std::string(g_settings.PlayerName), std::string(127, 'k'));
}

TEST_F(KeysInAddress, TypingEditsTheAddressAndEnterSearchesIt)
{
    AddressEntry::Instance()->SetText("");
    Type("\b");
    EXPECT_EQ(AddressEntry::Instance()->Text(), "") << "backspace on nothing";
    Type("10.0.0.9\b1");
    EXPECT_EQ(AddressEntry::Instance()->Text(), "10.0.0.1");
    Type("\r");
    EXPECT_EQ(g_appState, AppState::BrowseAddress);
    g_appState = AppState::EnterAddress;
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_EQ(AddressEntry::Instance()->Text(), "10.0.0.1") << "kept for the next visit";
}

} // namespace
