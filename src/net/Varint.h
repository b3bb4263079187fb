#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

// LEB128 numbers of the packed payloads: seven bits a byte, lowest first,
// at most 5 bytes and 2^32 - 1. A signed one goes zigzag (0, -1, 1, -2,
// ...), so that a small change either way takes one byte.
struct Varint {
    static void Write(ByteWriter& out, std::uint32_t value)
    {
        for (; value >= 0x80; value >>= 7)
            out.U8(static_cast<std::uint8_t>(value | 0x80));
        out.U8(static_cast<std::uint8_t>(value));
    }

    static bool Read(ByteReader& in, std::uint32_t& value)
    {
        value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            std::uint8_t byte = 0;
            if (!in.U8(byte))
                return false;
            value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return shift < 28 || byte < 0x10;
        }
        return false;
    }

    static std::size_t Size(std::uint32_t value)
    {
        std::size_t size = 1;
        for (; value >= 0x80; value >>= 7)
            ++size;
        return size;
    }

    static void WriteSigned(ByteWriter& out, std::int32_t value) { Write(out, Zigzag(value)); }

    static bool ReadSigned(ByteReader& in, std::int32_t& value)
    {
        std::uint32_t raw = 0;
        if (!Read(in, raw))
            return false;
        value = static_cast<std::int32_t>(raw >> 1) ^ -static_cast<std::int32_t>(raw & 1);
        return true;
    }

    static std::uint32_t Zigzag(std::int32_t value)
    {
        return static_cast<std::uint32_t>(value) << 1 ^ static_cast<std::uint32_t>(value >> 31);
    }
};
