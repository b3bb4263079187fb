#include <cstddef>
#include <cstdint>

#include "gfx/BmpImage.h"

// Any bytes as a bitmap file: the reader never reads past them, and what it
// accepts expands and converts to RGBA of exactly four bytes a pixel.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BmpImage image;
    if (image.LoadFromBytes(data, size)) {
        if (image.IsCompressed())
            image.Decompress();
        image.ConvertTo(kOrderRGBA);
        if (image.Pixels().size() != static_cast<std::size_t>(image.Width()) * image.Height() * 4)
            __builtin_trap();
    }
    return 0;
}
