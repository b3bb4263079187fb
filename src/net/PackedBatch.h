#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/NetMessage.h"

// The envelope of the server's payloads. A payload is a run of records to
// its end, one a message: ship states, entity states and entity deaths in
// a compact form where their values fit it (positions to an eighth of a
// unit, velocities to a 32nd of a unit a second, headings to 1/182 of a
// degree, fuel to 1/256), every other message in its own wire form behind
// its length. Unpacked, a payload is the batch the messages make, framed
// as MessageBatch reads it.
class PackedBatch {
public:
    // A record's first byte: a message's own kind, or this added to the
    // kind for its compact form.
    static constexpr std::uint8_t kCompact = 0x80;

    static std::vector<std::uint8_t> Pack(const std::vector<const NetMessage*>& batch);
    // Bytes the message takes in a packed payload.
    static std::size_t PackedSize(const NetMessage& message);
    // The batch framing of the payload's records, replacing what framed
    // held; false when a record does not read, and the records before it
    // are all that is framed.
    static bool Unpack(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& framed);
};
