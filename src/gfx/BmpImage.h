#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Image.h"

// Reads Windows bitmaps: 24- and 32-bit, and 8-bit with a palette, plain
// or run-length encoded. The map pictures of the radar are bitmaps.
class BmpImage : public Image {
public:
    static constexpr int kMaxSide = 8192;

    BmpImage() : Image("BMP") {}

    bool IsCompressed() const override { return compression != 0; }
    bool LoadFromFile(const char* path) override;
    bool LoadFromBytes(const std::uint8_t* data, std::size_t size);
    // Expands run-length encoded 8-bit data into one index a pixel.
    void Decompress();

private:
    bool Fail();

    std::uint32_t fileSize = 0;
    std::uint32_t compression = 0;
};
