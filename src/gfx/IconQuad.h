#pragma once

#include <cstddef>
#include <string_view>

class CTexture;

// Which screen edge a picture's first row (texture t = 0) is drawn at.
enum class FirstRow { Top, Bottom };

// A 32 x 32 picture centred at (x, y) in the current colour; without a
// texture the quad is plain.
void DrawIconQuad(CTexture* texture, float x, float y, FirstRow firstRow);

// Where a picture stands in a texture set listed from first, or -1.
template <std::size_t N>
constexpr int PictureIndex(const char* const (&pictures)[N], std::string_view picture, int first = 0)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (pictures[i] == picture)
            return first + static_cast<int>(i);
    }
    return -1;
}
