#pragma once

#include <string>
#include <string_view>

// gzip at zlib's quickest level: a list is remade several times a second,
// and its size matters less than the time.
class Gzip {
public:
    static std::string Whole(std::string_view plain);
};
