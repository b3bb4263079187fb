#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/TrackedBuffer.h"
#include "net/NetMessage.h"

// One payload from the server: a count, then that many messages each
// behind its 32-bit length. Parsing stops where the bytes run out.
class MessageBatch {
public:
    // The most messages one payload is taken to hold; the smallest message
    // and its length take five bytes, so this covers any real payload.
    static constexpr std::uint32_t kMaxMessages = 1 << 20;

    MessageBatch() = default;
    ~MessageBatch() { Clear(); }
    MessageBatch(const MessageBatch&) = delete;
    MessageBatch& operator=(const MessageBatch&) = delete;

    void Parse(const std::uint8_t* bytes, std::size_t size);
    void Clear();
    NetMessage* Begin();
    NetMessage* Next();
    std::uint32_t Count() const { return count; }
    std::size_t Parsed() const { return messages.size(); }

    // The batch framing of messages, as the server sends them.
    static std::vector<std::uint8_t> Frame(const std::vector<const NetMessage*>& batch);

private:
    TrackedBuffer payload;
    std::uint32_t count = 0;
    std::vector<std::unique_ptr<NetMessage>> messages;
    std::size_t cursor = 0;
};
