#include <gtest/gtest.h>

#include <string>

#include "app/AppState.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "gfx/screens/OptionsScreen.h"
#include "platform/Window.h"
#include "support/Keys.h"
#include "support/TempDir.h"

namespace {

class OptionsKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_appState = AppState::Options;
        g_settings = Settings();
        OptionsScreen::Instance()->SetName("");
        OptionsScreen::Instance()->SetShipType(0);
    }
    ScopedConfigHome home;
};

TEST_F(OptionsKeys, TypingEditsTheNameWithinItsLimit)
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

TEST_F(OptionsKeys, EnterSavesAndReturnsEscapeKeepsEditsUnsaved)
{
    Type("Dana");
    Key(platform::kVkRight); // slot 2: type 5
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_EQ(OptionsScreen::Instance()->NameText(), "Dana") << "the edit stays on screen";
    Settings stored;
    LoadSettings(stored);
    EXPECT_STREQ(stored.PlayerName, "") << "nothing saved";

    g_appState = AppState::Options;
    Type("\r");
    EXPECT_EQ(g_appState, AppState::MainMenu);
    LoadSettings(stored);
    EXPECT_STREQ(stored.PlayerName, "Dana");
    EXPECT_EQ(stored.ShipType, 5);
    EXPECT_EQ(stored.ResWidth, 1024) << "without a listed mode the display settings stay";
}

TEST_F(OptionsKeys, LongNamesAreSavedAsTheirFirst127Characters)
{
    const std::string name(200, 'q');
    Type(name);
    Type("\r");
    Settings stored;
    LoadSettings(stored);
    EXPECT_EQ(std::string(stored.PlayerName), name.substr(0, 127));
}

TEST_F(OptionsKeys, UnwritableSettingsStillReturnToTheMenu)
{
    TempDir blocked;
    blocked.WriteFile("quillrock", "a file where the folder belongs");
    ::setenv("XDG_CONFIG_HOME", blocked.Path().c_str(), 1);
    Type("Eve\r");
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_STREQ(g_settings.PlayerName, "Eve");
}

} // namespace
