#pragma once

#include <cstddef>
#include <cstdint>

// One thing a demo holds, at its time since the recording began: a payload
// as the server sent it, or the control keys the own pilot held from then on.
struct DemoRecord {
    enum Kind : std::uint8_t { kPayload = 1, kControls = 2 };
    // A block's records are read or written as one; a longer one is damage.
    static constexpr std::size_t kLongestBlock = 1 << 20;
    // A record's kind, time and size before its bytes.
    static constexpr std::size_t kHeadBytes = 9;

    Kind kind = kPayload;
    std::uint32_t ms = 0;
    // Where its bytes are in the file.
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
