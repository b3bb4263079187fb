#pragma once

#include <cstdint>
#include <istream>

#include "gfx/Image.h"

// Reads true-colour Targa pictures (image types 2 and 10, 24 or 32 bits).
// Whatever a header claims, nothing is read or allocated past what the
// file holds.
class TgaImage : public Image {
public:
    // Larger sides are refused: no texture of the game comes near them.
    static constexpr int kMaxSide = 8192;

    TgaImage() : Image("TGA") {}

    bool LoadFromFile(const char* path) override;
    // A picture built into the program, by its resource number.
    bool LoadFromResource(int id);
    bool LoadFromStream(std::istream& in, std::uint64_t size);

    std::uint8_t Descriptor() const { return descriptor; }

private:
    bool Fail();
    // The offsets a TRUEVISION-XFILE footer gives; 0 without one.
    void ReadFooter(std::istream& in, std::uint64_t size);
    // The header's fields; false for a picture this reader does not take.
    bool ReadHeader(std::istream& in);
    // Where the pixels lie and whether they fill the picture; sets runLength.
    bool FindPixelBlock(std::uint64_t size, std::size_t expected, std::uint64_t& start, std::size_t& blockSize);
    // Turns the pixels upside down, row by row of the given bytes.
    void FlipRows(std::size_t row);
    void DecodeRunLength(const std::uint8_t* block, std::size_t size, std::size_t bytesPerPixel);

    std::uint8_t idLength = 0;
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 0;
    std::uint8_t descriptor = 0;
    std::uint32_t extensionOffset = 0;
    std::uint32_t developerOffset = 0;
    bool runLength = false;
};
