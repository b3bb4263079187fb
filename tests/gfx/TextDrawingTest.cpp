#include <gtest/gtest.h>

#include <GL/gl.h>

#include <map>
#include <utility>
#include <vector>

#include "gfx/Glyphs.h"
#include "gfx/Renderer.h"
#include "gfx/TgaImage.h"
#include "support/OffscreenGame.h"

namespace {

class TextDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
        ASSERT_TRUE(font.LoadFromFile("Graphics\\Font2.tga"));
        renderer = Renderer::Instance();
        renderer->BeginFrame();
        glEnable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    void TearDown() override
    {
        if (renderer)
            renderer->EndFrame();
    }

    // Whether the font picture lights the texel at (x, y) of a cell, y
    // counted from the glyph's bottom (the cell's first picture row).
    bool FontLit(GlyphCell cell, int x, int y) const
    {
        const std::size_t px = static_cast<std::size_t>(cell.column * 10 + x);
        const std::size_t py = static_cast<std::size_t>(cell.row * 16 + y);
        return font.Pixels()[(py * static_cast<std::size_t>(font.Width()) + px) * 4 + 3] > 127;
    }

    // Every pixel of the 10 x 16 block at (x, y) shows the cell.
    void ExpectCellAt(const Frame& frame, GlyphCell cell, int x, int y)
    {
        int lit = 0;
        for (int j = 0; j < 16; ++j) {
            for (int i = 0; i < 10; ++i) {
                const Pixel p = frame.At(x + i, y + j);
                const bool shown = p.r > 127 || p.g > 127;
                ASSERT_EQ(shown, FontLit(cell, i, j)) << "cell (" << cell.column << ", " << cell.row
                                                       << ") pixel " << i << ", " << j;
                lit += shown;
            }
        }
        EXPECT_GT(lit, 10) << "the glyph has ink";
    }

    TgaImage font;
    Renderer* renderer = nullptr;
};

// Each character's glyph lands in its own 10 x 16 block, side by side, in
// the current colour, with the arguments formatted in; space and question
// mark share the blank cell, which takes its place but draws nothing. That
// nothing is drawn beside a line is the screen layout's test.
TEST_F(TextDrawing, GlyphsLandInTheirCellsSideBySideInTheCurrentColour)
{
    renderer->DrawText(-30.0f, 40.0f, "A 1");
    renderer->DrawText(0.0f, 0.0f, "? ");
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    renderer->DrawText(100.0f, -100.0f, "%d%s", 4, "g");
    const Frame frame;
    ExpectCellAt(frame, {0, 1}, -30, 40);
    ExpectCellAt(frame, {1, 0}, -10, 40);
    ExpectCellAt(frame, {4, 0}, 100, -100);
    EXPECT_TRUE(frame.Any(110, -100, 10, 16, [](Pixel p) { return p.g > 200 && p.r == 0 && p.b == 0; }))
        << "the 'g' is green";
    EXPECT_FALSE(frame.Any(0, 0, 20, 16, [](Pixel p) { return p.r != 0; })) << "'? ' draws nothing";
}

// "name <your name>": each angle bracket's point, in its first inked
// column or its last, lies between the ends of its arms in the other; an
// underscore's columns are all alike.
TEST_F(TextDrawing, AngleBracketsDrawAsThemselves)
{
    renderer->DrawText(-50.0f, 0.0f, "<your>");
    const Frame frame;
    ExpectCellAt(frame, GlyphOf('<'), -50, 0);
    ExpectCellAt(frame, GlyphOf('>'), 0, 0);
    for (const auto& [c, pointFirst] : {std::pair('<', true), {'>', false}}) {
        std::vector<std::vector<int>> columns; // the lit rows of each inked column
        for (int x = 0; x < 10; ++x) {
            std::vector<int> rows;
            for (int y = 0; y < 16; ++y) {
                if (FontLit(GlyphOf(c), x, y))
                    rows.push_back(y);
            }
            if (!rows.empty())
                columns.push_back(rows);
        }
        ASSERT_GE(columns.size(), 4u) << c;
        const auto& point = pointFirst ? columns.front() : columns.back();
        const auto& arms = pointFirst ? columns.back() : columns.front();
        EXPECT_TRUE(arms.front() < point.front() && point.back() < arms.back()) << c;
    }
}

// '?' and space share the blank cell; characters the font lacks share the
// column of its underscore, and only the font's own may be typed: which
// ones, the text fields' key test types. Every other printable character,
// so every line the game prints, draws in a cell of its own.
TEST(Glyphs, CellsAndTypeableCharactersAreTheFontsOwn)
{
    for (const auto& [c, column] : {std::pair('?', 25), {' ', 25}, {'\'', 23}, {'_', 10}, {'\t', 10}, {'\n', 10},
                                    {static_cast<char>(200), 10}})
        EXPECT_EQ(GlyphOf(c).column, column) << int(c);
    int count = 0;
    for (int c = 1; c < 256; ++c)
        count += IsTypeable(static_cast<char>(c));
    EXPECT_EQ(count, 26 + 26 + 10 + 16);
    std::map<std::pair<int, int>, char> owners;
    for (char c = ' '; c <= '~'; ++c) {
        const auto [owner, added] = owners.emplace(std::pair(GlyphOf(c).column, GlyphOf(c).row), c);
        EXPECT_TRUE(added || c == '?') << c << " draws " << owner->second << "'s cell";
    }
}

} // namespace
