#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/Renderer.h"
#include "gfx/screens/CreditsScreen.h"
#include "gfx/screens/InstructionsScreen.h"
#include "gfx/screens/MainMenu.h"
#include "gfx/screens/OptionsScreen.h"
#include "support/OffscreenGame.h"

namespace {

// The front-end screens on a 1024 x 768 display (hh = 384). Texts are
// placed by the bottom edge of their 16-unit rows, 10 units a character.
class ScreenLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
    }
    void TearDown() override
    {
        if (drawing)
            Renderer::Instance()->EndFrame();
    }
    Frame Draw(Screen* screen)
    {
        if (drawing)
            Renderer::Instance()->EndFrame();
        DrawScreenContent(screen);
        drawing = true;
        return Frame();
    }
    bool drawing = false;
};

// A line of the colour whose ink starts in its first cell at x and ends in
// its last, with nothing else near it.
void ExpectLine(const Frame& frame, int x, int y, int length, char colour)
{
    const int x0 = x - 40, x1 = x + 10 * length + 40;
    EXPECT_EQ(frame.Band(y, x0, x1), colour) << "the line at y = " << y;
    int left = 0, right = 0;
    ASSERT_TRUE(frame.Extent(y, x0, x1, left, right)) << "nothing at y = " << y;
    EXPECT_GE(left, x) << "y = " << y;
    EXPECT_LT(left, x + 10) << "y = " << y;
    EXPECT_GE(right, x + 10 * length - 10) << "y = " << y;
    EXPECT_LT(right, x + 10 * length) << "y = " << y;
}

void ExpectCentred(const Frame& frame, int y, const char* text, char colour)
{
    const int length = static_cast<int>(std::strlen(text));
    ExpectLine(frame, -5 * length, y, length, colour);
}

TEST_F(ScreenLayout, TitleMenuWithTheSelectionGreen)
{
    MainMenu* menu = MainMenu::Instance();
    while (menu->Selected() != 2)
        menu->SelectNext();
    const Frame frame = Draw(menu);
    ExpectCentred(frame, 184, "Quillrock!", 'w');
    ExpectLine(frame, -25, 164, 5, 'w');
    const char* items[] = {"Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};
    for (int k = 0; k < 6; ++k)
        ExpectCentred(frame, 52 - 16 * k, items[k], k == 1 ? 'g' : 'w');
    EXPECT_EQ(frame.Band(-368), 'w') << "the notice";
    EXPECT_EQ(frame.Band(100), 0);
    EXPECT_EQ(frame.Band(-100), 0);
}

TEST_F(ScreenLayout, InstructionsRightColumnAndIcons)
{
    InstructionsScreen* screen = InstructionsScreen::Instance();
    const Frame frame = Draw(screen);
    for (int k = 0; k < 8; ++k) {
        const int y = 384 - 140 - 40 * k;
        EXPECT_TRUE(frame.Lit(168, y)) << "icon " << k << " centred at x = 168";
        EXPECT_FALSE(frame.Lit(168 - 17, y)) << "icon " << k << " is 32 wide";
        EXPECT_FALSE(frame.Lit(168 + 17, y));
    }
    ExpectLine(frame, 142, 384 - 120, 8, 'g');
}

TEST_F(ScreenLayout, OptionsShipsNameAndHelp)
{
    OptionsScreen* options = OptionsScreen::Instance();
    options->SetName("Zed");
    options->SetShipType(0);
    const Frame first = Draw(options);
    ExpectCentred(first, 314, "Choose Your Ship", 'g');
    ExpectCentred(first, 184, "Enter Your Name", 'g');
    ExpectCentred(first, 152, "Zed", 'w');
    ExpectCentred(first, 84, "Resolutions", 'g');
    ExpectLine(first, -165, -304, 32, 'w');
    ExpectCentred(first, -324, "Up and Down Arrow Selects Resolution", 'w');
    ExpectCentred(first, -344, "Enter Saves Changes and Returns to Main Menu", 'w');
    ExpectCentred(first, -364, "Escape Discards Changes and Returns to Main Menu", 'w');

    // Six icons 32 wide at y = 278 with gaps between them; the shield lies
    // over the selected one only.
    options->SetShipType(3);
    const Frame fourth = Draw(options);
    const int slotX[] = {-160, -96, -32, 32, 96, 160};
    auto square = [](const Frame& frame, int x) {
        std::vector<bool> lit;
        for (int j = 278 - 16; j < 278 + 16; ++j)
            for (int i = x - 16; i < x + 16; ++i)
                lit.push_back(frame.Lit(i, j));
        return lit;
    };
    for (int s = 0; s < 6; ++s) {
        const auto drawn = square(first, slotX[s]);
        EXPECT_NE(std::count(drawn.begin(), drawn.end(), true), 0) << "slot " << s + 1;
        EXPECT_EQ(drawn != square(fourth, slotX[s]), s == 0 || s == 3) << "slot " << s + 1;
        for (int j = 278 - 16; j < 278 + 16; ++j)
            EXPECT_FALSE(first.Lit(slotX[s] + 32, j)) << "between slots " << s + 1 << " and " << s + 2;
    }
}

// Headings green and names white, one line every 20 units from hh - 60
// down, sections one empty line apart.
TEST_F(ScreenLayout, CreditsHeadingsAndNames)
{
    const Frame frame = Draw(CreditsScreen::Instance());
    const char rows[] = "g.gw.gw.gwww.gwww.gwwww.gw.gwww.";
    for (int k = 0; rows[k]; ++k)
        EXPECT_EQ(frame.Band(324 - 20 * k), rows[k] == '.' ? 0 : rows[k]) << "row " << k << ", hh - " << 60 + 20 * k;
    const struct {
        int below;
        const char* text;
    } headings[] = {{60, "Quillrock!"},
                    {100, "Created By"},
                    {160, "Additional Programming"},
                    {220, "Special Thanks To"},
                    {320, "Level Design"},
                    {420, "Testers"},
                    {540, "Hardcore Linear Algebra Guru"},
                    {600, "Brindlewood Game Production Faculty and Staff"}};
    for (const auto& heading : headings)
        ExpectCentred(frame, 384 - heading.below, heading.text, 'g');
}

TEST(OptionsScreen, ShipSlotsWrapAndMapToTypes)
{
    OptionsScreen* options = OptionsScreen::Instance();
    options->SetShipType(0);
    EXPECT_EQ(options->Slot(), 1);
    options->PreviousShip();
    EXPECT_EQ(options->Slot(), 6);
    EXPECT_EQ(options->ShipType(), 1);
    options->NextShip();
    EXPECT_EQ(options->Slot(), 1);
    EXPECT_EQ(options->ShipType(), 0);
    options->SetShipType(5);
    EXPECT_EQ(options->Slot(), 2);
    for (int unknown : {7, -1}) {
        options->SetShipType(unknown);
        EXPECT_EQ(options->Slot(), 1) << "type " << unknown;
    }
    const int expected[] = {0, 5, 2, 3, 4, 1};
    for (int slot = 1; slot <= 6; ++slot) {
        EXPECT_EQ(options->ShipType(), expected[slot - 1]) << "slot " << slot;
        options->NextShip();
    }
}

} // namespace
