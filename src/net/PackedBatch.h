#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/NetMessage.h"

struct ShipDelta;

// The envelope of the server's payloads. A payload is a run of records to
// its end, one a message: ship states, entity states and entity deaths in
// a compact form where their values fit it (positions to an eighth of a
// unit, velocities to a 32nd of a unit a second, headings to 1/182 of a
// degree, fuel to 1/256), every other message in its own wire form behind
// its length. A ship's state may also go as a delta from one the player
// holds (ShipDelta), which Snapshots makes and reads back. MessageBatch
// reads a payload record by record.
class PackedBatch {
public:
    // A record's first byte: a message's own kind, or this added to the
    // kind for its compact form.
    static constexpr std::uint8_t kCompact = 0x80;
    // The tag of a ship state's delta record.
    static constexpr std::uint8_t kShipDelta = kCompact | 0x40 | kMsgShipState;

    static std::vector<std::uint8_t> Pack(const std::vector<const NetMessage*>& batch);
    // One record more at the end of a payload.
    static void Append(const NetMessage& message, std::vector<std::uint8_t>& payload);
    static void Append(const ShipDelta& delta, std::vector<std::uint8_t>& payload);
    // Bytes the message takes in a packed payload.
    static std::size_t PackedSize(const NetMessage& message);
    static std::size_t PackedSize(const ShipDelta& delta);
    // The record at the front of the bytes, read into message: the bytes
    // it took, or 0 when it does not read. A record in a message's own wire
    // form reads as NetMessage::Parse has it, a short one as no message.
    // A delta record reads as no message.
    static std::size_t Read(const std::uint8_t* bytes, std::size_t size, NetMessage& message);
    // The delta record at the front of the bytes: the bytes it took, or 0
    // when it is none or does not read.
    static std::size_t ReadDelta(const std::uint8_t* bytes, std::size_t size, ShipDelta& delta);
};
