#include <cstddef>
#include <cstdint>

#include "net/MessageBatch.h"

// Any bytes as a server's payload: reading never runs past them, the
// counts agree with a walk, and only the last record begun may fail.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MessageBatch batch;
    batch.ParsePacked(data, size);
    std::size_t walked = 0;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next())
        walked += message->WireSize() >= 0;
    const std::size_t parsed = batch.Parsed();
    if (walked != parsed || batch.Count() - parsed > 1)
        __builtin_trap();
    return 0;
}
