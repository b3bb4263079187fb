#include "assets/Targa.h"

namespace {
void Put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, unsigned value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
} // namespace

std::vector<std::uint8_t> EncodeTarga(const std::vector<std::uint8_t>& rgba, int width, int height)
{
    std::vector<std::uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0};
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    out.push_back(32);
    out.push_back(0x08);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    // The footer, with neither extension nor developer area.
    Put32(out, 0);
    Put32(out, 0);
    const char signature[] = "TRUEVISION-XFILE.";
    out.insert(out.end(), signature, signature + sizeof signature);
    return out;
}
