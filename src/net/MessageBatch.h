#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/NetMessage.h"

// A batch of messages as the player's program applies them: a count, then
// that many messages each behind its 32-bit length (a server's packed
// payload is unpacked into this framing first). The batch reads the caller's bytes in place,
// one message at a time into a single record, so a payload costs no more
// memory than its bytes however many messages it claims; reading stops
// where the bytes run out. The bytes must outlive the reading.
class MessageBatch {
public:
    MessageBatch() = default;
    MessageBatch(const MessageBatch&) = delete;
    MessageBatch& operator=(const MessageBatch&) = delete;

    void Parse(const std::uint8_t* bytes, std::size_t size);
    // A payload as the server sends it (PackedBatch), unpacked into the
    // batch's own bytes first; false when a record of it did not read.
    bool ParsePacked(const std::uint8_t* packed, std::size_t packedSize);
    // The first message, or the next; null at the end. The record is
    // reused: what one call returns is valid until the next.
    NetMessage* Begin();
    NetMessage* Next();
    // The count the payload claims, and how many whole messages it holds.
    std::uint32_t Count() const { return count; }
    std::size_t Parsed() const { return held; }

    // The batch framing of messages.
    static std::vector<std::uint8_t> Frame(const std::vector<const NetMessage*>& batch);

private:
    static constexpr std::size_t kCountSize = 4;

    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::uint32_t count = 0;
    std::size_t held = 0;
    std::size_t offset = 0;
    std::size_t read = 0;
    NetMessage current;
    std::vector<std::uint8_t> unpacked;
};
