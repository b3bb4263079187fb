#include "gfx/BmpImage.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/ByteReader.h"
#include "platform/PathResolver.h"

namespace {
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaxInfoHeader = 4096;
constexpr std::uint32_t kRunLength8 = 1;
} // namespace

bool BmpImage::Fail()
{
    Clear();
    compression = 0;
    return false;
}

bool BmpImage::LoadFromFile(const char* path)
{
    Clear();
    const auto resolved = platform::ResolveFile(path ? path : "");
    if (!resolved)
        return false;
    std::ifstream file(*resolved, std::ios::binary);
    if (!file)
        return false;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!LoadFromBytes(bytes.data(), bytes.size()))
        return false;
    name = NameFromPath(path);
    return true;
}

bool BmpImage::LoadFromBytes(const std::uint8_t* data, std::size_t size)
{
    Clear();
    compression = 0;
    ByteReader in(data, size);
    std::uint16_t magic = 0;
    std::uint32_t reserved = 0, dataOffset = 0, infoSize = 0;
    if (!in.U16(magic) || magic != 0x4D42 || !in.U32(fileSize) || !in.U32(reserved) || !in.U32(dataOffset))
        return Fail();

    std::int32_t rawWidth = 0, rawHeight = 0;
    std::uint16_t planes = 0, depth = 0;
    std::uint32_t imageSize = 0, xPerMetre = 0, yPerMetre = 0, coloursUsed = 0, important = 0;
    if (!in.U32(infoSize) || infoSize < kInfoHeaderSize || infoSize > kMaxInfoHeader || !in.I32(rawWidth) ||
        !in.I32(rawHeight) || !in.U16(planes) || !in.U16(depth) || !in.U32(compression) || !in.U32(imageSize) ||
        !in.U32(xPerMetre) || !in.U32(yPerMetre) || !in.U32(coloursUsed) || !in.U32(important) ||
        !in.Skip(infoSize - kInfoHeaderSize))
        return Fail();
    if (rawWidth <= 0 || rawHeight <= 0 || rawWidth > kMaxSide || rawHeight > kMaxSide)
        return Fail();
    const bool paletted = depth == 8;
    if (!(depth == 24 || depth == 32 || paletted) || !(compression == 0 || (paletted && compression == kRunLength8)))
        return Fail();
    width = rawWidth;
    height = rawHeight;
    bits = depth;

    if (paletted) {
        if (coloursUsed == 0 || coloursUsed > 256)
            coloursUsed = 256;
        const std::uint8_t* entries = in.Bytes(coloursUsed * 4u);
        if (!entries)
            return Fail();
        palette.assign(entries, entries + coloursUsed * 4u);
        paletteEntries = static_cast<std::int32_t>(coloursUsed);
    }

    std::size_t pixelBytes = imageSize;
    if (pixelBytes == 0)
        pixelBytes = ((static_cast<std::size_t>(width) * bits + 7) / 8) * static_cast<std::size_t>(height);
    const std::uint8_t* block = in.Bytes(pixelBytes);
    if (!block)
        return Fail();
    pixels.assign(block, block + pixelBytes);
    dataSize = static_cast<std::uint32_t>(pixelBytes);
    order = kOrderBGR;
    if (compression != 0)
        return true;
    // Rows in a file are padded to whole 4-byte words; the pixels are kept
    // without the padding, one row after the other.
    const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(bits / 8);
    const std::size_t stride = (row + 3) / 4 * 4;
    if (stride != row && pixels.size() >= stride * static_cast<std::size_t>(height)) {
        for (std::size_t y = 1; y < static_cast<std::size_t>(height); ++y)
            std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y * stride), row,
                        pixels.begin() + static_cast<std::ptrdiff_t>(y * row));
    }
    if (pixels.size() < row * static_cast<std::size_t>(height))
        return Fail();
    pixels.resize(row * static_cast<std::size_t>(height));
    dataSize = static_cast<std::uint32_t>(pixels.size());
    return true;
}

void BmpImage::Decompress()
{
    if (compression != kRunLength8)
        return;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    std::vector<std::uint8_t> out(w * h, 0);
    std::size_t x = 0, y = 0, i = 0;
    const std::size_t n = pixels.size();
    auto put = [&](std::uint8_t index) {
        if (x < w && y < h)
            out[y * w + x] = index;
        ++x;
    };
    while (i + 1 < n) {
        const std::uint8_t count = pixels[i++];
        const std::uint8_t value = pixels[i++];
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(value);
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // move by the following offsets
            if (i + 1 >= n)
                break;
            x += pixels[i++];
            y += pixels[i++];
        } else { // a literal run, padded to a whole word
            for (int k = 0; k < value && i < n; ++k)
                put(pixels[i++]);
            if (value & 1)
                ++i;
        }
    }
    pixels = std::move(out);
    dataSize = static_cast<std::uint32_t>(pixels.size());
    compression = 0;
}
