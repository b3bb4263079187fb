#pragma once

#include <cstdint>
#include <string>

// IPv4 addresses in host order, as operators read and type them.
std::string DottedAddress(std::uint32_t address);
// "a.b.c.d", each part 0 to 255 without leading zeros; false for anything else.
bool ReadDottedAddress(const std::string& text, std::uint32_t& address);
