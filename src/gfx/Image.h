#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum PixelOrder : std::int32_t {
    kOrderNone = 0,
    kOrderRGB = 1,
    kOrderRGBA = 2,
    kOrderBGR = 3,
    kOrderTargaBGRA = 4, // blue, green, red, then alpha at 32 bits, as a Targa file stores it
};

// A picture read from a file: its size, depth, pixel order, optional
// palette and pixel rows. Readers derive from it.
class Image {
public:
    explicit Image(const char* kind) : kind(kind) {}
    virtual ~Image() = default;

    virtual bool IsCompressed() const { return false; }
    virtual bool LoadFromFile(const char* path) = 0;

    // Brings the pixels into the given order. Every order converts to RGBA,
    // exactly width x height pixels: 24-bit and palette pictures are widened
    // with alpha 255, a 32-bit Targa keeps its own alpha, a 32-bit bitmap
    // becomes opaque. Other targets are left to the pictures that need them.
    void ConvertTo(PixelOrder target);
    void Clear();

    const std::string& Name() const { return name; }
    const std::string& Kind() const { return kind; }
    std::int32_t Width() const { return width; }
    std::int32_t Height() const { return height; }
    std::int32_t Bits() const { return bits; }
    PixelOrder Order() const { return order; }
    std::uint32_t DataSize() const { return dataSize; }
    const std::vector<std::uint8_t>& Pixels() const { return pixels; }

    // The informative name of a picture path: after its first backslash
    // (else its first slash), up to the path's first ".".
    static std::string NameFromPath(const std::string& path);

protected:
    void ExpandPalette();

    std::string name;
    std::string kind;
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t bits = 0;
    PixelOrder order = kOrderNone;
    std::uint32_t dataSize = 0;
    std::int32_t paletteEntries = 0;
    std::vector<std::uint8_t> palette; // 4 bytes an entry: blue, green, red, reserved
    std::vector<std::uint8_t> pixels;
};
