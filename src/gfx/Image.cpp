#include "gfx/Image.h"

#include <algorithm>
#include <utility>

std::string Image::NameFromPath(const std::string& path)
{
    std::size_t start = path.find('\\');
    if (start == std::string::npos)
        start = path.find('/');
    start = start == std::string::npos ? 0 : start + 1;
    const std::size_t dot = path.find('.');
    if (dot == std::string::npos)
        return path.substr(start);
    if (dot < start)
        return {};
    return path.substr(start, dot - start);
}

void Image::Clear()
{
    height = 0;
    width = 0;
    bits = 0;
    dataSize = 0;
    paletteEntries = 0;
    palette.clear();
    pixels.clear();
}

void Image::ExpandPalette()
{
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> rgba(count * 4);
    for (std::size_t i = 0; i < count && i < pixels.size(); ++i) {
        const std::size_t entry = pixels[i];
        if (entry >= static_cast<std::size_t>(paletteEntries))
            continue;
        rgba[i * 4 + 0] = palette[entry * 4 + 2];
        rgba[i * 4 + 1] = palette[entry * 4 + 1];
        rgba[i * 4 + 2] = palette[entry * 4 + 0];
        rgba[i * 4 + 3] = 255;
    }
    pixels = std::move(rgba);
    bits = 32;
    dataSize = static_cast<std::uint32_t>(pixels.size());
}

void Image::ConvertTo(PixelOrder target)
{
    if (order == target || order == kOrderNone || target != kOrderRGBA)
        return;
    if (bits == 8) {
        ExpandPalette();
        order = kOrderRGBA;
        return;
    }
    const std::size_t in = static_cast<std::size_t>(bits / 8);
    if (in != 3 && in != 4)
        return;
    const bool swap = order == kOrderBGR || order == kOrderTargaBGRA;
    const bool keepAlpha = order == kOrderTargaBGRA || order == kOrderRGBA;
    const std::size_t count = std::min(pixels.size() / in, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &pixels[i * in];
        rgba[i * 4 + 0] = swap ? p[2] : p[0];
        rgba[i * 4 + 1] = p[1];
        rgba[i * 4 + 2] = swap ? p[0] : p[2];
        rgba[i * 4 + 3] = (in == 4 && keepAlpha) ? p[3] : 255;
    }
    pixels = std::move(rgba);
    bits = 32;
    dataSize = static_cast<std::uint32_t>(pixels.size());
    order = kOrderRGBA;
}
