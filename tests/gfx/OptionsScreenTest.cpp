#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>

#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "gfx/screens/InstructionsScreen.h"
#include "gfx/screens/OptionsScreen.h"
#include "support/OffscreenGame.h"

namespace {

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
    options->SetShipType(7);
    EXPECT_EQ(options->Slot(), 1);
    options->SetShipType(-1);
    EXPECT_EQ(options->Slot(), 1);
    const int expected[] = {0, 5, 2, 3, 4, 1};
    for (int slot = 1; slot <= 6; ++slot) {
        EXPECT_EQ(options->ShipType(), expected[slot - 1]) << "slot " << slot;
        options->NextShip();
    }
}

TEST(OptionsScreen, ModesWrapAndOnlyDesignedModesAreListed)
{
    GLDisplay* display = GLDisplay::Instance();
    const DisplayMode reported[] = {{1024, 768, 32, 60}, {1024, 768, 16, 60}, {1024, 768, 32, 75},
                                    {800, 600, 32, 60},  {1280, 1024, 32, 60}};
    display->ListModes(reported, 3);
    EXPECT_EQ(display->ModeCount(), 2) << "75 Hz is not offered";
    display->ListModes(reported, 5);
    ASSERT_EQ(display->ModeCount(), 3);
    EXPECT_EQ(display->ModeWidth(2), 1280);

    OptionsScreen* options = OptionsScreen::Instance();
    while (options->ModeIndex() != 0)
        options->NextMode();
    options->PreviousMode();
    EXPECT_EQ(options->ModeIndex(), 2);
    options->NextMode();
    EXPECT_EQ(options->ModeIndex(), 0);

    options->NextMode();
    options->SelectMode(1024, 768, 32, 75);
    EXPECT_EQ(options->ModeIndex(), 1) << "no 75 Hz entry: the selection stays";
}

TEST(OptionsScreen, NameCopiesAreCut)
{
    OptionsScreen* options = OptionsScreen::Instance();
    options->SetName("Valentina");
    char small[6];
    options->Name(small, sizeof small);
    EXPECT_STREQ(small, "Valen");
    options->SetName(nullptr);
    EXPECT_EQ(options->NameText(), "Valentina");
}

// Draw presents its frame, so the test draws the content in a frame of its own.
class InstructionsProbe : public InstructionsScreen {
public:
    static void DrawContentOf(InstructionsScreen* screen)
    {
        (screen->*(&InstructionsProbe::DrawContent))(512.0f, 384.0f);
    }
};

bool Lit(int x, int y)
{
    const Pixel p = ReadScreenPixel(x, y);
    return p.r + p.g + p.b > 60;
}

TEST(InstructionsScreen, RightColumnAndIconsOnA1024By768Screen)
{
    if (!OpenOffscreenGame())
        GTEST_SKIP() << "no GL driver";
    InstructionsScreen* screen = InstructionsScreen::Instance();
    screen->SetSize(1024.0f, 768.0f);
    EXPECT_FLOAT_EQ(screen->RightColumn(), 142.0f);

    Renderer::Instance()->BeginFrame();
    glEnable(GL_TEXTURE_2D);
    screen->LoadTextures();
    InstructionsProbe::DrawContentOf(screen);
    for (int k = 0; k < 8; ++k) {
        const int y = 384 - 140 - 40 * k;
        EXPECT_TRUE(Lit(168, y)) << "icon " << k << " centred at x = 168";
        EXPECT_FALSE(Lit(168 - 17, y)) << "icon " << k << " is 32 wide";
        EXPECT_FALSE(Lit(168 + 17, y));
    }
    EXPECT_TRUE(Lit(142 + 3, 384 - 120 + 8)) << "the heading starts at x = 142";
    EXPECT_FALSE(Lit(142 - 2, 384 - 120 + 8));
    Renderer::Instance()->EndFrame();
}

} // namespace
