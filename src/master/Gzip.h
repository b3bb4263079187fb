#pragma once

#include <string>
#include <string_view>

// The gzip form of some bytes, at zlib's quickest level: a list is remade
// several times a second, and its size matters less than the time.
std::string Gzip(std::string_view plain);
