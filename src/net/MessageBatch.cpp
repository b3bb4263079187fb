#include "net/MessageBatch.h"

#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

void MessageBatch::Clear()
{
    payload = TrackedBuffer();
    count = 0;
    messages.clear();
    cursor = 0;
}

void MessageBatch::Parse(const std::uint8_t* bytes, std::size_t size)
{
    Clear();
    if (!bytes || size == 0)
        return;
    payload = TrackedBuffer(size);
    if (payload.Empty())
        return;
    std::memcpy(payload.Data(), bytes, size);

    ByteReader in(payload.Data(), size);
    if (!in.U32(count))
        return;
    // Each message needs at least its length and a kind byte.
    for (std::uint32_t i = 0; i < count && i < kMaxMessages && in.Remaining() >= 5; ++i) {
        std::uint32_t length = 0;
        in.U32(length);
        const std::uint8_t* body = in.Bytes(length);
        if (!body)
            break;
        auto message = std::make_unique<NetMessage>();
        message->Parse(body, length);
        messages.push_back(std::move(message));
    }
}

NetMessage* MessageBatch::Begin()
{
    cursor = 0;
    return Next();
}

NetMessage* MessageBatch::Next()
{
    return cursor < messages.size() ? messages[cursor++].get() : nullptr;
}

std::vector<std::uint8_t> MessageBatch::Frame(const std::vector<const NetMessage*>& batch)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(batch.size()));
    for (const NetMessage* message : batch) {
        const int size = message->WireSize();
        out.U32(static_cast<std::uint32_t>(size));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        message->Serialize(bytes.data(), size);
        out.Bytes(bytes.data(), bytes.size());
    }
    return out.Data();
}
