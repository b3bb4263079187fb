#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/screens/CreditsScreen.h"
#include "gfx/screens/InstructionsScreen.h"
#include "gfx/screens/MainMenu.h"
#include "gfx/screens/OptionsScreen.h"
#include "support/OffscreenGame.h"

namespace {

// The front-end screens on a 1024 x 768 display (hh = 384). Texts are
// placed by the bottom edge of their 16-unit rows, 10 units a character.
class ScreenLayout : public OffscreenTest {};

// A line of the colour whose ink starts in its first cell at x and ends in
// its last, with nothing else near it.
void ExpectLine(const Frame& frame, int x, int y, int length, char colour)
{
    const int end = x + 10 * length;
    EXPECT_EQ(frame.Band(y, x - 40, end + 40), colour) << "the line at y = " << y;
    EXPECT_TRUE(frame.Any(x, y, 10, 16) && frame.Any(end - 10, y, 10, 16)) << "its ends at y = " << y;
    EXPECT_FALSE(frame.Any(x - 40, y, 40, 16) || frame.Any(end, y, 40, 16)) << "beside it at y = " << y;
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
    const Frame frame = DrawScreenContent(menu);
    ExpectCentred(frame, 184, "Quillrock!", 'w');
    ExpectLine(frame, -25, 164, 5, 'w');
    const char* items[] = {"Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};
    for (int k = 0; k < 6; ++k)
        ExpectCentred(frame, 52 - 16 * k, items[k], k == 1 ? 'g' : 'w');
    EXPECT_EQ(std::tuple(frame.Band(-368), frame.Band(100), frame.Band(-100)), std::tuple('w', 0, 0))
        << "the notice at the bottom, nothing between the title and the items or below them";
}

TEST_F(ScreenLayout, InstructionsRightColumnAndIcons)
{
    InstructionsScreen* screen = InstructionsScreen::Instance();
    const Frame frame = DrawScreenContent(screen);
    for (int k = 0; k < 8; ++k) {
        const int y = 384 - 140 - 40 * k;
        EXPECT_TRUE(frame.Lit(168, y)) << "icon " << k << " centred at x = 168";
        EXPECT_FALSE(frame.Lit(168 - 17, y) || frame.Lit(168 + 17, y)) << "icon " << k << " is 32 wide";
    }
    ExpectLine(frame, 142, 384 - 120, 8, 'g');
}

TEST_F(ScreenLayout, OptionsShipsNameAndHelp)
{
    OptionsScreen* options = OptionsScreen::Instance();
    options->SetName("Zed");
    options->SetShipType(0);
    const Frame first = DrawScreenContent(options);
    ExpectCentred(first, 314, "Choose Your Ship", 'g');
    ExpectCentred(first, 184, "Enter Your Name", 'g');
    ExpectCentred(first, 152, "Zed", 'w');
    ExpectCentred(first, 84, "Resolutions", 'g');
    ExpectLine(first, -165, -304, 32, 'w');
    const char* help[] = {"Up and Down Arrow Selects Resolution", "Enter Saves Changes and Returns to Main Menu",
                          "Escape Discards Changes and Returns to Main Menu"};
    for (int k = 0; k < 3; ++k)
        ExpectCentred(first, -324 - 20 * k, help[k], 'w');

    // Six icons 32 wide at y = 278 with gaps between them; the shield lies
    // over the selected one only.
    options->SetShipType(3);
    const Frame fourth = DrawScreenContent(options);
    const int slotX[] = {-160, -96, -32, 32, 96, 160};
    auto square = [](const Frame& frame, int x) {
        std::vector<bool> lit;
        for (int j = 278 - 16; j < 278 + 16; ++j)
            for (int i = x - 16; i < x + 16; ++i)
                lit.push_back(frame.Lit(i, j));
        return lit;
    };
    for (int s = 0; s < 6; ++s) {
        EXPECT_TRUE(first.Any(slotX[s] - 16, 278 - 16, 32, 32)) << "slot " << s + 1;
        EXPECT_EQ(square(first, slotX[s]) != square(fourth, slotX[s]), s == 0 || s == 3) << "slot " << s + 1;
        EXPECT_FALSE(first.Any(slotX[s] + 32, 278 - 16, 1, 32)) << "between slots " << s + 1 << " and " << s + 2;
    }
}

// Headings green and names white, one line every 20 units from hh - 60
// down, sections one empty line apart. Centred lines of one length put
// their colons in one cell: each line of a group shows the colon glyph
// where its longest name puts it.
TEST_F(ScreenLayout, CreditsHeadingsNamesAndColonsInLine)
{
    const Frame frame = DrawScreenContent(CreditsScreen::Instance());
    const char rows[] = "g.gw.gw.gwww.gwww.gwwww.gw.gwww.";
    const char* headings[] = {"Quillrock!", "Created By", "Additional Programming", "Special Thanks To",
                              "Level Design", "Testers", "Hardcore Linear Algebra Guru",
                              "Brindlewood Game Production Faculty and Staff"};
    const char* const* heading = headings;
    for (int k = 0; rows[k]; ++k) {
        EXPECT_EQ(frame.Band(324 - 20 * k), rows[k] == '.' ? 0 : rows[k]) << "row " << k << ", hh - " << 60 + 20 * k;
        if (rows[k] == 'g')
            ExpectCentred(frame, 324 - 20 * k, *heading++, 'g');
    }
    // Line length, the colon's cell, and the lines of the group, longest name first.
    for (const auto& [length, colon, lines] :
         {std::tuple(21, 7, std::vector<int>{380, 340, 360}), {30, 10, {620, 640, 660}}}) {
        const int x = -5 * length + 10 * colon, reference = 384 - lines[0];
        ASSERT_TRUE(frame.Any(x, reference, 10, 16)) << "a colon at hh - " << lines[0];
        for (int below : lines)
            for (int dy = 0; dy < 16; ++dy)
                for (int dx = 0; dx < 10; ++dx)
                    ASSERT_EQ(frame.Lit(x + dx, 384 - below + dy), frame.Lit(x + dx, reference + dy))
                        << "the colon of the line at hh - " << below;
    }
}

TEST(OptionsScreen, ShipSlotsWrapAndMapToTypes)
{
    OptionsScreen* options = OptionsScreen::Instance();
    for (const auto& [type, slot] : {std::pair(0, 1), {5, 2}, {7, 1}, {-1, 1}}) {
        options->SetShipType(type);
        EXPECT_EQ(options->Slot(), slot) << "type " << type << "; unknown types are slot 1";
    }
    options->PreviousShip();
    EXPECT_EQ(std::tuple(options->Slot(), options->ShipType()), std::tuple(6, 1)) << "before the first slot the last";
    options->NextShip();
    const int expected[] = {0, 5, 2, 3, 4, 1};
    for (int slot = 1; slot <= 6; ++slot) {
        EXPECT_EQ(options->ShipType(), expected[slot - 1]) << "slot " << slot;
        options->NextShip();
    }
    EXPECT_EQ(options->Slot(), 1) << "after the last slot the first";
}

} // namespace
