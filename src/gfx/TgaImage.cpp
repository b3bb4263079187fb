#include "gfx/TgaImage.h"

#include <cstring>
#include <fstream>

#include "base/ByteReader.h"
#include "gfx/MemoryStreamBuf.h"
#include "gfx/Resources.h"
#include "platform/PathResolver.h"

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kFooterSize = 26;

bool ReadAt(std::istream& in, std::uint64_t offset, void* out, std::size_t count)
{
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return in && static_cast<std::size_t>(in.gcount()) == count;
}

} // namespace

bool TgaImage::Fail()
{
    Clear();
    return false;
}

bool TgaImage::LoadFromFile(const char* path)
{
    Clear();
    const auto resolved = platform::ResolveFile(path ? path : "");
    std::ifstream file;
    if (resolved)
        file.open(*resolved, std::ios::binary);
    if (!file)
        return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0)
        return false;
    name = NameFromPath(path);
    return LoadFromStream(file, static_cast<std::uint64_t>(size));
}

bool TgaImage::LoadFromResource(int id)
{
    Clear();
    const Resource* resource = FindResource("TGA", id);
    if (!resource)
        return false;
    MemoryStreamBuf buffer(resource->data, resource->size);
    std::istream in(&buffer);
    name = "ResourceTGA";
    return LoadFromStream(in, resource->size);
}

bool TgaImage::LoadFromStream(std::istream& in, std::uint64_t size)
{
    if (size < kHeaderSize)
        return Fail();
    ReadFooter(in, size);
    if (!ReadHeader(in))
        return Fail();
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bits / 8);
    const std::size_t expected = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * bytesPerPixel;
    std::uint64_t start = 0;
    std::size_t blockSize = 0;
    if (!FindPixelBlock(size, expected, start, blockSize))
        return Fail();

    std::vector<std::uint8_t> block(blockSize);
    if (blockSize && !ReadAt(in, start, block.data(), blockSize))
        return Fail();

    if (runLength) {
        DecodeRunLength(block.data(), block.size(), bytesPerPixel);
        imageType = 2;
        runLength = false;
    } else {
        block.resize(expected);
        pixels = std::move(block);
    }
    dataSize = static_cast<std::uint32_t>(expected);
    if (!(descriptor & 0x10))
        FlipRows(static_cast<std::size_t>(width) * bytesPerPixel);
    kind = "TGA";
    order = kOrderTargaBGRA;
    return true;
}

void TgaImage::ReadFooter(std::istream& in, std::uint64_t size)
{
    extensionOffset = 0;
    developerOffset = 0;
    std::uint8_t footer[kFooterSize];
    if (size >= kFooterSize && ReadAt(in, size - kFooterSize, footer, sizeof footer) &&
        std::memcmp(footer + 8, "TRUEVISION-XFILE", 16) == 0) {
        ByteReader offsets(footer, 8);
        offsets.U32(extensionOffset);
        offsets.U32(developerOffset);
    }
}

bool TgaImage::ReadHeader(std::istream& in)
{
    std::uint8_t header[kHeaderSize];
    if (!ReadAt(in, 0, header, sizeof header))
        return false;
    ByteReader fields(header, sizeof header);
    std::uint16_t mapFirst = 0, mapLength = 0, xOrigin = 0, yOrigin = 0, rawWidth = 0, rawHeight = 0;
    std::uint8_t mapEntrySize = 0, depth = 0;
    fields.U8(idLength);
    fields.U8(colourMapType);
    fields.U8(imageType);
    fields.U16(mapFirst);
    fields.U16(mapLength);
    fields.U8(mapEntrySize);
    fields.U16(xOrigin);
    fields.U16(yOrigin);
    fields.U16(rawWidth);
    fields.U16(rawHeight);
    fields.U8(depth);
    fields.U8(descriptor);
    if (imageType != 2 && imageType != 10)
        return false;
    width = static_cast<std::int16_t>(rawWidth);
    height = static_cast<std::int16_t>(rawHeight);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || (depth != 24 && depth != 32))
        return false;
    bits = depth;
    return true;
}

bool TgaImage::FindPixelBlock(std::uint64_t size, std::size_t expected, std::uint64_t& start, std::size_t& blockSize)
{
    // The pixel block runs to the developer area, else to the footer's place.
    start = kHeaderSize + idLength;
    std::uint64_t end = developerOffset != 0 ? developerOffset : (size >= kFooterSize ? size - kFooterSize : 0);
    if (end > size)
        return false;
    runLength = imageType == 10;
    // Without a footer the last 26 bytes may still be pixels: an uncompressed
    // picture reads what it needs from the file as long as the file has it.
    if (!runLength && developerOffset == 0 && end < start + expected && start + expected <= size)
        end = start + expected;
    if (end < start)
        return false;
    blockSize = static_cast<std::size_t>(end - start);
    return runLength ? expected / 128 <= blockSize : blockSize >= expected;
}

void TgaImage::FlipRows(std::size_t row)
{
    for (std::size_t top = 0, bottom = static_cast<std::size_t>(height) - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * row),
                         pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * row),
                         pixels.begin() + static_cast<std::ptrdiff_t>(bottom * row));
}

void TgaImage::DecodeRunLength(const std::uint8_t* block, std::size_t size, std::size_t bytesPerPixel)
{
    const std::size_t total = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * bytesPerPixel;
    pixels.assign(total, 0);
    std::size_t out = 0;
    std::size_t in = 0;
    while (in < size) {
        const std::uint8_t packet = block[in++];
        const std::size_t count = (packet & 0x7F) + 1u;
        if (packet & 0x80) {
            if (size - in < bytesPerPixel)
                break;
            for (std::size_t i = 0; i < count && out + bytesPerPixel <= total; ++i, out += bytesPerPixel)
                std::memcpy(&pixels[out], &block[in], bytesPerPixel);
            in += bytesPerPixel;
        } else {
            const std::size_t bytes = count * bytesPerPixel;
            const std::size_t available = size - in < bytes ? size - in : bytes;
            const std::size_t room = total - out < available ? total - out : available;
            if (room)
                std::memcpy(&pixels[out], &block[in], room);
            out += room;
            in += available;
        }
    }
}
