#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {

// Appends little-endian values to a byte buffer, whatever the host's order.
class ByteWriter {
public:
    void U8(std::uint8_t value) { bytes.push_back(value); }

    void U16(std::uint16_t value)
    {
        bytes.push_back(static_cast<std::uint8_t>(value));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }

    void U32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }

    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }

    void F32(float value)
    {
        std::uint32_t raw = 0;
        std::memcpy(&raw, &value, sizeof raw);
        U32(raw);
    }

    void F64(double value)
    {
        std::uint64_t raw = 0;
        std::memcpy(&raw, &value, sizeof raw);
        U32(static_cast<std::uint32_t>(raw));
        U32(static_cast<std::uint32_t>(raw >> 32));
    }

    void Bytes(const void* data, std::size_t count)
    {
        const auto* start = static_cast<const std::uint8_t*>(data);
        if (count)
            bytes.insert(bytes.end(), start, start + count);
    }

    const std::vector<std::uint8_t>& Data() const { return bytes; }
    std::vector<std::uint8_t>& Data() { return bytes; }

private:
    std::vector<std::uint8_t> bytes;
};

} // namespace platform
