#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bitmap font: a 512 x 128 picture of 10 x 16 cells, digits and
// punctuation in cell row 0, capitals in row 1, small letters in row 2, the
// marks that are shown but not typed in row 3.
// The game maps a glyph's bottom edge to the top of its cell, so each glyph
// is stored upside down. Empty on failure, with the reason in error.
std::vector<std::uint8_t> RenderFontPicture(const std::string& fontPath, std::string& error);

constexpr int kFontPictureWidth = 512;
constexpr int kFontPictureHeight = 128;
