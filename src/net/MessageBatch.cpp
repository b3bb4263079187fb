#include "net/MessageBatch.h"

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

void MessageBatch::Parse(const std::uint8_t* newBytes, std::size_t newSize)
{
    bytes = nullptr;
    size = 0;
    count = 0;
    held = 0;
    offset = kCountSize;
    read = 0;
    ByteReader in(newBytes, newSize);
    if (!in.U32(count))
        return;
    bytes = newBytes;
    size = newSize;
    // Each message needs at least its length and a kind byte; the walk
    // only reads lengths, so a boastful count costs nothing.
    while (held < count && in.Remaining() >= 5) {
        std::uint32_t length = 0;
        in.U32(length);
        if (!in.Bytes(length))
            break;
        ++held;
    }
}

NetMessage* MessageBatch::Begin()
{
    offset = kCountSize;
    read = 0;
    return Next();
}

NetMessage* MessageBatch::Next()
{
    if (read >= held)
        return nullptr;
    ByteReader in(bytes + offset, size - offset);
    std::uint32_t length = 0;
    in.U32(length);
    current.Parse(in.Bytes(length), length);
    offset += 4 + static_cast<std::size_t>(length);
    ++read;
    return &current;
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
