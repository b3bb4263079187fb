#include "net/MessageBatch.h"

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "net/PackedBatch.h"

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

bool MessageBatch::ParsePacked(const std::uint8_t* packed, std::size_t packedSize)
{
    const bool whole = PackedBatch::Unpack(packed, packedSize, unpacked);
    Parse(unpacked.data(), unpacked.size());
    return whole;
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
    // Sized once and written in place: a server frames thousands a second.
    std::size_t total = 4;
    for (const NetMessage* message : batch)
        total += 4 + static_cast<std::size_t>(message->WireSize());
    std::vector<std::uint8_t> framed(total);
    ByteWriter(framed.data(), 4).U32(static_cast<std::uint32_t>(batch.size()));
    std::size_t at = 4;
    for (const NetMessage* message : batch) {
        const int size = message->WireSize();
        ByteWriter(framed.data() + at, 4).U32(static_cast<std::uint32_t>(size));
        message->Serialize(framed.data() + at + 4, size);
        at += 4 + static_cast<std::size_t>(size);
    }
    return framed;
}
