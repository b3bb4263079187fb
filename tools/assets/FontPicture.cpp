#include "assets/FontPicture.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "gfx/Glyphs.h"

namespace {

constexpr int kCellWidth = 10;
constexpr int kCellHeight = 16;
constexpr int kBaseline = 4;     // rows below the baseline in a cell, for descenders
constexpr int kPixelSize = 15;   // DejaVu Sans Mono at 15 px advances 9 px: one clear column

// The characters of cell row 0 from column 10 on; column 24 is unused and
// column 25, shared by space and "?", stays blank so spaces read as spaces.
constexpr const char* kPunctuation = "_!.,\":+-=()@/'";

struct Glyph {
    char character;
    int column;
    int row;
};

std::vector<Glyph> Layout()
{
    std::vector<Glyph> glyphs;
    for (int i = 0; i < 10; ++i)
        glyphs.push_back({static_cast<char>('0' + i), i, 0});
    for (int i = 0; kPunctuation[i]; ++i)
        glyphs.push_back({kPunctuation[i], 10 + i, 0});
    for (int i = 0; i < 26; ++i) {
        glyphs.push_back({static_cast<char>('A' + i), i, 1});
        glyphs.push_back({static_cast<char>('a' + i), i, 2});
    }
    for (int i = 0; kShownMarks[i]; ++i)
        glyphs.push_back({kShownMarks[i], i, 3});
    return glyphs;
}

} // namespace

std::vector<std::uint8_t> RenderFontPicture(const std::string& fontPath, std::string& error)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType did not start";
        return {};
    }
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, kPixelSize) != 0) {
        error = "cannot read the font " + fontPath;
        FT_Done_FreeType(library);
        return {};
    }

    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kFontPictureWidth) * kFontPictureHeight * 4, 0);
    for (const Glyph& glyph : Layout()) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(glyph.character), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        // Centre the advance in the cell; the glyph's rows measured up from
        // the cell's bottom, with the baseline kBaseline rows up.
        const int advance = static_cast<int>(slot->advance.x >> 6);
        const int left = (kCellWidth - advance) / 2 + slot->bitmap_left;
        for (unsigned by = 0; by < bitmap.rows; ++by) {
            const int up = kBaseline + slot->bitmap_top - 1 - static_cast<int>(by);
            if (up < 0 || up >= kCellHeight)
                continue;
            for (unsigned bx = 0; bx < bitmap.width; ++bx) {
                const int x = left + static_cast<int>(bx);
                if (x < 0 || x >= kCellWidth)
                    continue;
                const std::uint8_t coverage = bitmap.buffer[static_cast<int>(by) * bitmap.pitch + static_cast<int>(bx)];
                // Upside down: the glyph's bottom row lands on the cell's top row.
                const int pictureY = glyph.row * kCellHeight + up;
                const int pictureX = glyph.column * kCellWidth + x;
                std::uint8_t* p = &rgba[(static_cast<std::size_t>(pictureY) * kFontPictureWidth + static_cast<std::size_t>(pictureX)) * 4];
                p[0] = p[1] = p[2] = 255;
                p[3] = std::max(p[3], coverage);
            }
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return rgba;
}
