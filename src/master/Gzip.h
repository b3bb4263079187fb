#pragma once

#include <string>
#include <string_view>
#include <vector>

// gzip at zlib's quickest level: a list is remade several times a second,
// and its size matters less than the time.
class Gzip {
public:
    // A stretch of a gzip member compressed on its own: it refers to no
    // byte before it and ends on a byte boundary, so pieces made apart join
    // into one member, and an unchanged piece is never compressed again.
    struct Piece {
        std::string packed;
        unsigned long crc = 0;
        std::size_t size = 0;
    };

    static std::string Whole(std::string_view plain);
    static Piece Pack(std::string_view plain);
    // One gzip member of the pieces' bytes in their order.
    static std::string Join(const std::vector<const Piece*>& pieces);
};
