#include <gtest/gtest.h>

#include <GL/gl.h>

#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "support/OffscreenGame.h"

namespace {

// Half extents of the orthographic volume, and its depth range as the
// eye-space z values that map to the near and far planes.
struct Volume {
    float halfWidth, halfHeight, zNear, zFar;
};

Volume ProjectionVolume()
{
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return {1.0f / m[0], 1.0f / m[5], (-1.0f - m[14]) / m[10], (1.0f - m[14]) / m[10]};
}

TEST(GLDisplay, ProjectionVolumes)
{
    if (!OpenOffscreenGame())
        GTEST_SKIP() << "no GL driver";
    GLDisplay* display = GLDisplay::Instance();
    ASSERT_EQ(display->Width(), 1024);
    display->MakeCurrent();

    ASSERT_TRUE(display->SetProjection(0.0f, 0.0f));
    Volume v = ProjectionVolume();
    EXPECT_FLOAT_EQ(v.halfWidth, 512.0f);
    EXPECT_FLOAT_EQ(v.halfHeight, 384.0f);
    EXPECT_NEAR(v.zNear, 100.0f, 1e-3) << "glOrtho's near -100 is eye z +100";
    EXPECT_NEAR(v.zFar, -100.0f, 1e-3);

    ASSERT_TRUE(display->SetProjection(800.0f, 0.0f));
    v = ProjectionVolume();
    EXPECT_FLOAT_EQ(v.halfWidth, 400.0f);
    EXPECT_FLOAT_EQ(v.halfHeight, 300.0f);

    ASSERT_TRUE(display->SetProjection(0.0f, 600.0f));
    v = ProjectionVolume();
    EXPECT_FLOAT_EQ(v.halfWidth, 400.0f);
    EXPECT_FLOAT_EQ(v.halfHeight, 300.0f);

    ASSERT_TRUE(display->SetProjection(300.0f, 200.0f));
    v = ProjectionVolume();
    EXPECT_FLOAT_EQ(v.halfWidth, 150.0f);
    EXPECT_FLOAT_EQ(v.halfHeight, 100.0f);

    display->SetProjection(1024.0f, 768.0f);
    display->ReleaseCurrent();
}

TEST(GLDisplay, OffersOnlyTheDesignedModes)
{
    EXPECT_TRUE(GLDisplay::Offered({1024, 768, 32, 60}));
    EXPECT_TRUE(GLDisplay::Offered({1024, 768, 16, 60}));
    EXPECT_TRUE(GLDisplay::Offered({1600, 1200, 32, 60}));
    EXPECT_FALSE(GLDisplay::Offered({1024, 768, 32, 75}));
    EXPECT_FALSE(GLDisplay::Offered({1024, 768, 24, 60}));
    EXPECT_FALSE(GLDisplay::Offered({800, 600, 32, 60}));
    EXPECT_FALSE(GLDisplay::Offered({1920, 1080, 32, 60}));

    GLDisplay* display = GLDisplay::Instance();
    EXPECT_EQ(display->ModeWidth(-1), 0);
    EXPECT_EQ(display->ModeWidth(display->ModeCount()), 0);
    EXPECT_EQ(display->ModeRefresh(GLDisplay::kMaxModes), 0);
}

TEST(Renderer, FrameClearsToTransparentBlack)
{
    if (!OpenOffscreenGame())
        GTEST_SKIP() << "no GL driver";
    Renderer* renderer = Renderer::Instance();
    renderer->BeginFrame();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(-512, -384);
    glVertex2f(-500, -384);
    glVertex2f(-500, -372);
    glVertex2f(-512, -372);
    glEnd();
    EXPECT_EQ(ReadScreenPixel(-511, -383).r, 255) << "screen origin at the centre, y up";
    EXPECT_EQ(ReadScreenPixel(0, 0).r, 0);
    renderer->EndFrame();
    renderer->SetWorld(nullptr);
    EXPECT_EQ(renderer->GetWorld(), nullptr);
}

} // namespace
