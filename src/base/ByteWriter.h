#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>


// Writes little-endian values, whatever the host's order: appended to a
// buffer of its own, or into a fixed block given to it, where what does not
// fit is dropped.
class ByteWriter {
public:
    ByteWriter() = default;
    ByteWriter(std::uint8_t* block, std::size_t size) : fixed(block), room(size) {}

    void U8(std::uint8_t value)
    {
        if (!fixed)
            bytes.push_back(value);
        else if (used < room)
            fixed[used++] = value;
    }

    void U16(std::uint16_t value)
    {
        U8(static_cast<std::uint8_t>(value));
        U8(static_cast<std::uint8_t>(value >> 8));
    }

    void U32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            U8(static_cast<std::uint8_t>(value >> shift));
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
        if (!fixed) {
            if (count)
                bytes.insert(bytes.end(), start, start + count);
            return;
        }
        for (std::size_t i = 0; i < count; ++i)
            U8(start[i]);
    }

    // Bytes written: appended, or into the block (what fitted of them).
    std::size_t Size() const { return fixed ? used : bytes.size(); }

    // What was appended (the growable form).
    const std::vector<std::uint8_t>& Data() const { return bytes; }
    std::vector<std::uint8_t>& Data() { return bytes; }

private:
    std::vector<std::uint8_t> bytes;
    std::uint8_t* fixed = nullptr;
    std::size_t room = 0;
    std::size_t used = 0;
};

