#include <cstddef>
#include <cstdint>

#include "net/MessageBatch.h"

// Any payload as a batch: counts and lengths are checked against the bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MessageBatch batch;
    batch.Parse(data, size);
    std::size_t walked = 0;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next())
        walked += message->WireSize() >= 0;
    if (walked != batch.Parsed())
        __builtin_trap();
    return 0;
}
