#include <cstddef>
#include <cstdint>

#include "net/MessageBatch.h"

namespace {

// Counts and lengths are checked against the bytes: every message the batch
// says it holds is there to walk.
void Walk(MessageBatch& batch)
{
    std::size_t walked = 0;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next())
        walked += message->WireSize() >= 0;
    if (walked != batch.Parsed())
        __builtin_trap();
}

} // namespace

// Any payload as a framed batch, and as a packed one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MessageBatch batch;
    batch.Parse(data, size);
    Walk(batch);
    MessageBatch packed;
    packed.ParsePacked(data, size);
    Walk(packed);
    if (packed.Parsed() != packed.Count())
        __builtin_trap();
    return 0;
}
