#include "net/MessageBatch.h"

#include "net/PackedBatch.h"

void MessageBatch::ParsePacked(const std::uint8_t* packed, std::size_t packedSize)
{
    bytes = packed;
    size = packed ? packedSize : 0;
    offset = 0;
}

NetMessage* MessageBatch::Begin()
{
    offset = 0;
    return Next();
}

NetMessage* MessageBatch::Next()
{
    if (offset >= size)
        return nullptr;
    const std::size_t taken = PackedBatch::Read(bytes + offset, size - offset, current);
    // A record that does not read ends the payload.
    offset = taken ? offset + taken : size;
    return taken ? &current : nullptr;
}

std::size_t MessageBatch::Count() const
{
    bool whole = true;
    const std::size_t read = Walk(whole);
    return whole ? read : read + 1;
}

std::size_t MessageBatch::Parsed() const
{
    bool whole = true;
    return Walk(whole);
}

std::size_t MessageBatch::Walk(bool& whole) const
{
    NetMessage message;
    std::size_t read = 0;
    for (std::size_t at = 0; at < size; ++read) {
        const std::size_t taken = PackedBatch::Read(bytes + at, size - at, message);
        if (!taken) {
            whole = false;
            break;
        }
        at += taken;
    }
    return read;
}
