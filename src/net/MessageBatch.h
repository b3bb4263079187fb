#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/NetMessage.h"

class Snapshots;

// A server's payload as the player's program applies it: its packed records
// (PackedBatch) read in place, one at a time into a single message, so a
// payload costs no memory beyond its bytes and the ships a run of deltas
// names, however many records it holds. Each delta of a run is a message.
// Reading stops at the first record that does not read; the records before
// it stand. The bytes must outlive the reading.
class MessageBatch {
public:
    MessageBatch() = default;
    MessageBatch(const MessageBatch&) = delete;
    MessageBatch& operator=(const MessageBatch&) = delete;

    void ParsePacked(const std::uint8_t* packed, std::size_t packedSize);
    // The player's snapshots: ship states' deltas read from them, and the
    // payload's snapshot kept there once it is read whole. Without them a
    // delta reads as no message.
    void UseSnapshots(Snapshots* held) { snapshots = held; }
    // The first message, or the next; null at the end. The record is
    // reused: what one call returns is valid until the next.
    NetMessage* Begin();
    NetMessage* Next();
    // The records the payload begins, and how many of them read: all, or
    // all but a last one that is cut short or bad. Each walks the payload.
    std::size_t Count() const;
    std::size_t Parsed() const;

private:
    std::size_t Walk(bool& whole) const;
    // Reads the record at the offset into current: the bytes it took, 0
    // when it does not read.
    std::size_t ReadRecord();
    // A snapshot's header with its run folded in: the header, and the run
    // under way.
    std::size_t ReadFoldedRun(const std::uint8_t* record);
    // The next delta of the run under way.
    std::size_t ReadRunEntry(const std::uint8_t* record);
    bool InRun() const { return runAt < runIds.size(); }

    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    NetMessage current;
    Snapshots* snapshots = nullptr;
    std::vector<std::size_t> runPlaces;
    std::vector<std::int32_t> runIds;
    std::size_t runAt = 0;
    bool runCoarse = false; // the run came folded
};
