#include <gtest/gtest.h>

#include <string>

#include "app/AppState.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "gfx/screens/AddressEntry.h"
#include "gfx/screens/OptionsScreen.h"
#include "gfx/screens/ServerBrowser.h"
#include "platform/Window.h"
#include "support/Keys.h"

namespace {

class BrowserKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser = ServerBrowser::Instance();
        browser->ClearHosts();
        while (browser->Selected() != 1)
            browser->SelectPrevious();
        g_appState = AppState::BrowseLan;
    }
    ServerBrowser* browser = nullptr;
};

TEST_F(BrowserKeys, SelectionWrapsOverTheServers)
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

TEST_F(BrowserKeys, EnterStartsTheGameWithTheOptionsChoices)
{
    Type("\r");
    EXPECT_EQ(g_appState, AppState::BrowseLan) << "no servers, nothing happens";
    browser->AddHost("Dogfight", 8, 2);
    OptionsScreen::Instance()->SetShipType(4);
    OptionsScreen::Instance()->SetName(std::string(200, 'k').c_str());
    Type("\r");
    EXPECT_EQ(g_appState, AppState::InGame);
    EXPECT_STREQ(g_serverName, "Dogfight");
    EXPECT_EQ(g_settings.ShipType, 4);
    EXPECT_EQ(std::string(g_settings.PlayerName), std::string(127, 'k'));
}

TEST_F(BrowserKeys, ALetterOrEscapeLeaves)
{
    Type("x");
    EXPECT_EQ(g_appState, AppState::MainMenu);
    g_appState = AppState::BrowseAddress;
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
}

TEST(AddressKeys, TypingEditsTheAddressAndEnterSearchesIt)
{
    AddressEntry::Instance()->SetText("");
    g_appState = AppState::EnterAddress;
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
