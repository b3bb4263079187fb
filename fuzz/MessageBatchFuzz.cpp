#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/MessageBatch.h"
#include "net/PackedBatch.h"

namespace {

using Wire = std::vector<std::vector<std::uint8_t>>;

// Each message a payload reads into, in its own wire form; packed again,
// one record after another, into repacked. A record that reads as no
// message (one cut short in its own form) is skipped, as the game skips it.
Wire Read(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& repacked)
{
    MessageBatch batch;
    batch.ParsePacked(data, size);
    Wire wire;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
        const int bytes = message->WireSize();
        if (bytes <= 0)
            continue;
        wire.emplace_back(static_cast<std::size_t>(bytes));
        message->Serialize(wire.back().data(), bytes);
        const auto record = PackedBatch::Pack({message});
        repacked.insert(repacked.end(), record.begin(), record.end());
    }
    return wire;
}

} // namespace

// Any bytes as a server's payload: reading never runs past them, what reads
// packs again into as many messages, and once packed values are on the
// compact grid, packing and reading them again changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> packed, repacked, unused;
    const Wire first = Read(data, size, packed);
    const Wire second = Read(packed.data(), packed.size(), repacked);
    if (second.size() != first.size() || Read(repacked.data(), repacked.size(), unused) != second)
        __builtin_trap();
    return 0;
}
