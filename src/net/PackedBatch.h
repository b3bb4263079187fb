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
// its length. MessageBatch reads a payload record by record.
class PackedBatch {
public:
    // A record's first byte: a message's own kind, or this added to the
    // kind for its compact form.
    static constexpr std::uint8_t kCompact = 0x80;

    static std::vector<std::uint8_t> Pack(const std::vector<const NetMessage*>& batch);
    // Bytes the message takes in a packed payload.
    static std::size_t PackedSize(const NetMessage& message);
    // The record at the front of the bytes, read into message: the bytes
    // it took, or 0 when it does not read. A record in a message's own wire
    // form reads as NetMessage::Parse has it, a short one as no message.
    static std::size_t Read(const std::uint8_t* bytes, std::size_t size, NetMessage& message);
};
