#include <gtest/gtest.h>

#include "app/AppState.h"
#include "app/WindowProc.h"
#include "gfx/screens/MainMenu.h"
#include "platform/Window.h"
#include "support/Keys.h"

namespace {

class WindowProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_quitRequested = false;
        g_appState = AppState::MainMenu;
        while (MainMenu::Instance()->Selected() != 1)
            MainMenu::Instance()->SelectNext();
    }
};

TEST_F(WindowProcTest, MenuArrowsWrapAround)
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

TEST_F(WindowProcTest, EnterActsOnTheSelectedItem)
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

TEST_F(WindowProcTest, TypingOrEscapeReturnsToTheMenu)
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

TEST_F(WindowProcTest, BrowserLeavesOnALetterButNotOnEnterWithoutServers)
{
    for (AppState state : {AppState::BrowseLan, AppState::BrowseAddress}) {
        g_appState = state;
        Type("\r");
        EXPECT_EQ(g_appState, state);
        Type("\b");
        EXPECT_EQ(g_appState, AppState::MainMenu);
    }
    g_appState = AppState::BrowseAddress;
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
}

TEST_F(WindowProcTest, DestroyRequestsTheQuit)
{
    WindowProc(nullptr, platform::kMsgDestroy, 0, 0);
    EXPECT_TRUE(g_quitRequested);
}

} // namespace
