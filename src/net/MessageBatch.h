#pragma once

#include <cstddef>
#include <cstdint>

#include "net/NetMessage.h"

// A server's payload as the player's program applies it: its packed records
// (PackedBatch) read in place, one at a time into a single message, so a
// payload costs no memory beyond its bytes however many records it holds.
// Reading stops at the first record that does not read; the records before
// it stand. The bytes must outlive the reading.
class MessageBatch {
public:
    MessageBatch() = default;
    MessageBatch(const MessageBatch&) = delete;
    MessageBatch& operator=(const MessageBatch&) = delete;

    void ParsePacked(const std::uint8_t* packed, std::size_t packedSize);
    // The first message, or the next; null at the end. The record is
    // reused: what one call returns is valid until the next.
    NetMessage* Begin();
    NetMessage* Next();
    // The records the payload begins, and how many of them read: all, or
    // all but a last one that is cut short or bad. Each walks the payload.
    std::size_t Count() const;
    std::size_t Parsed() const;

private:
    std::size_t Walk(bool& whole) const;

    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    NetMessage current;
};
