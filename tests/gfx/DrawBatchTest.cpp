#include <gtest/gtest.h>

#include <GL/gl.h>

#include "gfx/DrawBatch.h"
#include "gfx/Renderer.h"
#include "support/OffscreenGame.h"

namespace {

struct Colour {
    unsigned char r, g, b;
};
constexpr Colour kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
constexpr BatchState kPlain{GL_QUADS, false, 0, GL_FILL, GL_LINE};
// Looks the same as kPlain, but is another state: never in one draw with it.
constexpr BatchState kOther{GL_QUADS, false, 0, GL_FILL, GL_FILL};

// A 20 x 20 opaque square with its lower-left corner at (x, y).
void Square(DrawBatch& batch, const BatchState& state, float x, float y, Colour c)
{
    BatchVertex corners[4];
    for (int k = 0; k < 4; ++k)
        corners[k] = {x + (k == 1 || k == 2 ? 20.0f : 0.0f), y + (k >= 2 ? 20.0f : 0.0f), 0, 0, 0, c.r / 255.0f,
                      c.g / 255.0f, c.b / 255.0f, 1};
    batch.Add(state, corners, 4, false);
}

bool Shows(const Frame& frame, int x, int y, Colour c)
{
    const Pixel p = frame.At(x, y);
    return p.r == c.r && p.g == c.g && p.b == c.b;
}

class DrawBatchTest : public OffscreenTest {
protected:
    Renderer* renderer = Renderer::Instance();
    DrawBatch& batch = renderer->Batch();
};

// Squares of one state go out in one draw across a square of another state
// they do not touch; one that overlaps it starts a new draw so that it still
// lands on top.
TEST_F(DrawBatchTest, MergesAShapeIntoAnEarlierDrawOnlyWhenNothingBetweenOverlapsIt)
{
    renderer->BeginFrame();
    const std::uint32_t before = batch.DrawCalls();
    batch.Begin();
    Square(batch, kPlain, -100, 0, kRed);
    Square(batch, kOther, 0, 0, kGreen);
    Square(batch, kPlain, 100, 0, kRed);
    Square(batch, kPlain, 10, 10, kBlue);
    EXPECT_EQ(batch.DrawCalls(), before);
    batch.End();
    EXPECT_EQ(batch.DrawCalls() - before, 3u);
    const Frame frame;
    for (const auto& [x, y, colour] : {std::tuple(-90, 10, kRed), {110, 10, kRed}, {5, 5, kGreen}, {15, 15, kBlue}})
        EXPECT_TRUE(Shows(frame, x, y, colour)) << x << ", " << y;
    renderer->EndFrame();
}

// Outside a scope a shape is drawn at once, and the colour, texturing,
// blending and polygon modes that the caller left current are current again
// afterwards, even after an opaque shape that draws without blending.
TEST_F(DrawBatchTest, DrawsAtOnceOutsideAScopeAndGivesTheStateBack)
{
    renderer->BeginFrame();
    glEnable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    const std::uint32_t before = batch.DrawCalls();
    Square(batch, kPlain, 0, 0, kRed);
    EXPECT_EQ(batch.DrawCalls(), before + 1);
    EXPECT_TRUE(Shows(Frame(), 5, 5, kRed));

    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::tuple(glIsEnabled(GL_TEXTURE_2D), glIsEnabled(GL_BLEND), modes[0], modes[1], colour[0], colour[2]),
              std::tuple(GL_TRUE, GL_TRUE, GL_LINE, GL_LINE, 0.25f, 0.75f));

    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    renderer->EndFrame();
}

// Spaces are transparent in the font: a line of them costs no draw at all.
// Where the glyphs land is the text drawing's own test.
TEST_F(DrawBatchTest, TextLeavesOutTransparentCharacters)
{
    renderer->BeginFrame();
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    const std::uint32_t before = batch.DrawCalls();
    renderer->DrawText(0, 0, "    ");
    EXPECT_EQ(batch.DrawCalls(), before);
    renderer->DrawText(0, 0, "W W");
    EXPECT_EQ(batch.DrawCalls(), before + 1) << "one draw for the visible characters";
    renderer->EndFrame();
}

} // namespace
