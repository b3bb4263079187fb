#include "server/engine/DottedAddress.h"

#include <charconv>

std::string DottedAddress(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
           std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

bool ReadDottedAddress(const std::string& text, std::uint32_t& address)
{
    std::uint32_t value = 0;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (at == end || *at++ != '.'))
            return false;
        unsigned number = 0;
        const auto [next, error] = std::from_chars(at, end, number);
        if (error != std::errc() || number > 255 || next - at > 3 || (*at == '0' && next - at > 1))
            return false;
        value = value << 8 | number;
        at = next;
    }
    if (at != end)
        return false;
    address = value;
    return true;
}
