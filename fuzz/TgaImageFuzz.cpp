#include <cstddef>
#include <cstdint>
#include <istream>

#include "gfx/MemoryStreamBuf.h"
#include "gfx/TgaImage.h"

// Any bytes as a Targa file: the reader never reads past them, and what it
// accepts converts to RGBA of exactly four bytes a pixel.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryStreamBuf buffer(data, size);
    std::istream in(&buffer);
    TgaImage image;
    if (image.LoadFromStream(in, size)) {
        image.ConvertTo(kOrderRGBA);
        if (image.Pixels().size() != static_cast<std::size_t>(image.Width()) * image.Height() * 4)
            __builtin_trap();
    }
    return 0;
}
