#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An uncompressed 32-bit Targa file of an RGBA picture given top row first,
// stored bottom row first (descriptor 0x08) as most painting programs do.
std::vector<std::uint8_t> EncodeTarga(const std::vector<std::uint8_t>& rgba, int width, int height);

