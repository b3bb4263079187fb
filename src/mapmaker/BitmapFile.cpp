#include "mapmaker/BitmapFile.h"

#include "base/ByteWriter.h"

std::vector<std::uint8_t> EncodeBitmap(const std::vector<std::uint8_t>& rgba, int width, int height)
{
    const unsigned rowBytes = static_cast<unsigned>(width) * 3;
    const unsigned imageSize = rowBytes * static_cast<unsigned>(height);
    ByteWriter out;
    out.Bytes("BM", 2);
    out.U32(14 + 40 + imageSize);
    out.U32(0);
    out.U32(14 + 40);
    out.U32(40);
    out.I32(width);
    out.I32(height);
    out.U16(1);
    out.U16(24);
    out.U32(0);
    out.U32(imageSize);
    out.U32(2835);
    out.U32(2835);
    out.U32(0);
    out.U32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p =
                &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
            const std::uint8_t bgr[] = {p[2], p[1], p[0]};
            out.Bytes(bgr, sizeof bgr);
        }
    }
    return std::move(out.Data());
}
