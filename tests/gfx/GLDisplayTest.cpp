#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>

#include "gfx/GLDisplay.h"
#include "gfx/screens/OptionsScreen.h"
#include "support/OffscreenGame.h"

namespace {

class GLDisplayTest : public OffscreenTest {};

// An orthographic volume of w x h units around the origin; a zero side
// follows the other by the screen's 4:3, and the depth runs from eye z +100
// to -100.
TEST_F(GLDisplayTest, ProjectionVolumes)
{
    GLDisplay* display = GLDisplay::Instance();
    ASSERT_EQ(display->Width(), 1024);
    display->MakeCurrent();
    for (const auto& [w, h, halfWidth, halfHeight] :
         {std::array{0.0f, 0.0f, 512.0f, 384.0f}, {800, 0, 400, 300}, {0, 600, 400, 300}, {300, 200, 150, 100}}) {
        ASSERT_TRUE(display->SetProjection(w, h));
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        EXPECT_FLOAT_EQ(1.0f / m[0], halfWidth) << w << " x " << h;
        EXPECT_FLOAT_EQ(1.0f / m[5], halfHeight) << w << " x " << h;
        EXPECT_NEAR((-1.0f - m[14]) / m[10], 100.0f, 1e-3) << "near";
        EXPECT_NEAR((1.0f - m[14]) / m[10], -100.0f, 1e-3) << "far";
    }
    display->SetProjection(1024.0f, 768.0f);
    display->ReleaseCurrent();
}

// Only 1024 x 768, 1152 x 864, 1280 x 1024 and 1600 x 1200 at 16 or 32 bits
// and 60 Hz are offered, in the order the display lists them.
TEST(OptionsScreen, OnlyOfferedModesAreListedAndTheChoiceWraps)
{
    GLDisplay* display = GLDisplay::Instance();
    const DisplayMode reported[] = {{1024, 768, 32, 60},  {1024, 768, 16, 60},  {1024, 768, 32, 75},
                                    {1024, 768, 24, 60},  {800, 600, 32, 60},   {1920, 1080, 32, 60},
                                    {1152, 864, 16, 60},  {1280, 1024, 32, 60}, {1600, 1200, 32, 60}};
    display->ListModes(reported, 9);
    ASSERT_EQ(display->ModeCount(), 5) << "not 75 Hz, 24 bits or sizes of their own";
    EXPECT_EQ(std::tuple(display->ModeWidth(2), display->ModeWidth(3), display->ModeHeight(4), display->ModeWidth(-1),
                         display->ModeRefresh(5)),
              std::tuple(1152, 1280, 1200, 0, 0));

    OptionsScreen* options = OptionsScreen::Instance();
    while (options->ModeIndex() != 0)
        options->NextMode();
    options->PreviousMode();
    EXPECT_EQ(options->ModeIndex(), 4);
    options->NextMode();
    EXPECT_EQ(options->ModeIndex(), 0);

    options->NextMode();
    options->SelectMode(1024, 768, 32, 75);
    EXPECT_EQ(options->ModeIndex(), 1) << "no 75 Hz entry: the selection stays";
}

} // namespace
