#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/MessageBatch.h"
#include "net/PackedBatch.h"

namespace {

using Wire = std::vector<std::vector<std::uint8_t>>;

// Each message a payload reads into, in its own wire form; packed again,
// one record after another, into repacked.
Wire Read(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& repacked)
{
    MessageBatch batch;
    batch.ParsePacked(data, size);
    Wire wire;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
        const int bytes = message->WireSize();
        if (bytes < 0)
            continue;
        wire.emplace_back(static_cast<std::size_t>(bytes));
        message->Serialize(wire.back().data(), bytes);
        const auto record = PackedBatch::Pack({message});
        repacked.insert(repacked.end(), record.begin(), record.end());
    }
    return wire;
}

} // namespace

// Any bytes as a server's payload: reading never runs past them, and what
// reads, packed again, reads as the same messages.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> repacked;
    const Wire first = Read(data, size, repacked);
    std::vector<std::uint8_t> again;
    if (Read(repacked.data(), repacked.size(), again) != first)
        __builtin_trap();
    return 0;
}
