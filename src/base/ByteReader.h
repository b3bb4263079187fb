#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>


// Reads little-endian values from untrusted bytes. Every read checks the
// bytes that remain; a read that does not fit fails, reads nothing, and
// leaves the reader failed so a caller may check once at the end.
class ByteReader {
public:
    ByteReader(const void* data, std::size_t size)
        : data(static_cast<const std::uint8_t*>(data)), size(data ? size : 0)
    {
    }

    bool U8(std::uint8_t& out)
    {
        if (!Fits(1))
            return false;
        out = data[pos++];
        return true;
    }

    bool U16(std::uint16_t& out)
    {
        if (!Fits(2))
            return false;
        out = static_cast<std::uint16_t>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return true;
    }

    bool U32(std::uint32_t& out)
    {
        if (!Fits(4))
            return false;
        out = static_cast<std::uint32_t>(data[pos]) | static_cast<std::uint32_t>(data[pos + 1]) << 8 |
              static_cast<std::uint32_t>(data[pos + 2]) << 16 | static_cast<std::uint32_t>(data[pos + 3]) << 24;
        pos += 4;
        return true;
    }

    bool I32(std::int32_t& out)
    {
        std::uint32_t raw = 0;
        if (!U32(raw))
            return false;
        out = static_cast<std::int32_t>(raw);
        return true;
    }

    bool F32(float& out)
    {
        std::uint32_t raw = 0;
        if (!U32(raw))
            return false;
        std::memcpy(&out, &raw, sizeof out);
        return true;
    }

    bool F64(double& out)
    {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        if (!Fits(8) || !U32(low) || !U32(high))
            return false;
        const std::uint64_t raw = static_cast<std::uint64_t>(high) << 32 | low;
        std::memcpy(&out, &raw, sizeof out);
        return true;
    }

    // A view of the next count bytes, or null when they are not there.
    const std::uint8_t* Bytes(std::size_t count)
    {
        if (!Fits(count))
            return nullptr;
        const std::uint8_t* start = data + pos;
        pos += count;
        return start;
    }

    bool Skip(std::size_t count)
    {
        if (!Fits(count))
            return false;
        pos += count;
        return true;
    }

    std::size_t Position() const { return pos; }
    std::size_t Remaining() const { return size - pos; }
    bool Failed() const { return failed; }

private:
    bool Fits(std::size_t count)
    {
        if (failed || count > size - pos) {
            failed = true;
            return false;
        }
        return true;
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    bool failed = false;
};

