#include <gtest/gtest.h>

#include <GL/gl.h>

#include "app/AppState.h"
#include "gfx/Renderer.h"
#include "gfx/screens/MainMenu.h"
#include "support/OffscreenGame.h"

namespace {

// The colour that the text of the band [y, y + 16) shows: 'g' green, 'w'
// white, 0 nothing.
char BandColour(int y)
{
    for (int j = 0; j < 16; ++j) {
        for (int x = -150; x < 150; ++x) {
            const Pixel p = ReadScreenPixel(x, y + j);
            if (p.g > 200)
                return p.r > 200 ? 'w' : 'g';
        }
    }
    return 0;
}

// Draw presents the frame, so the test draws the content in a frame of its own.
class MenuProbe : public MainMenu {
public:
    static void DrawContentOf(MainMenu* menu, float hw, float hh)
    {
        (menu->*(&MenuProbe::DrawContent))(hw, hh);
    }
};

TEST(MainMenuScreen, ItemsSitWhereDesignedWithTheSelectionGreen)
{
    if (!OpenOffscreenGame())
        GTEST_SKIP() << "no GL driver";
    MainMenu* menu = MainMenu::Instance();
    menu->SetSize(1024.0f, 768.0f);
    menu->SelectNext(); // item 2
    Renderer* renderer = Renderer::Instance();
    renderer->BeginFrame();
    glEnable(GL_TEXTURE_2D);
    MenuProbe::DrawContentOf(menu, 512.0f, 384.0f);

    EXPECT_EQ(BandColour(184), 'w') << "title";
    EXPECT_EQ(BandColour(164), 'w') << "version";
    EXPECT_EQ(BandColour(52), 'w') << "first item";
    EXPECT_EQ(BandColour(36), 'g') << "second item, selected";
    EXPECT_EQ(BandColour(-28), 'w') << "sixth item";
    EXPECT_EQ(BandColour(-368), 'w') << "notice";
    EXPECT_EQ(BandColour(100), 0);
    EXPECT_EQ(BandColour(-100), 0);
    renderer->EndFrame();
    menu->SelectPrevious();
}

} // namespace
