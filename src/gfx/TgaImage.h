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
    void DecodeRunLength(const std::uint8_t* block, std::size_t size, std::size_t bytesPerPixel);

    std::uint8_t idLength = 0;
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 0;
    std::uint8_t descriptor = 0;
    std::uint32_t extensionOffset = 0;
    std::uint32_t developerOffset = 0;
    bool runLength = false;
};
