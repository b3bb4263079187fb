#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "net/NetMessage.h"
#include "net/ShipDelta.h"

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
    // The tag of a run of deltas: one tag, and the ships named by their
    // place among those the snapshot holds rather than by id.
    static constexpr std::uint8_t kShipDeltaRun = kShipDelta + 1;
    // The tag of a snapshot's header with its run folded in, the deltas
    // coarse: one record for all of a report's deltas.
    static constexpr std::uint8_t kFoldedRun = kShipDeltaRun + 1;
    static constexpr std::size_t kLongestRunMap = 32; // a bit for each of 256 ships
    // What a player's program puts in the id of its join or watch, a bit for
    // each form it reads; a program that puts 0 is sent neither.
    static constexpr int kReadsDeltaRuns = 1;
    static constexpr int kReadsFoldedRuns = 2;
    static constexpr int kReadsCompactTiles = 4;
    static constexpr int kReadsAll = kReadsDeltaRuns | kReadsFoldedRuns | kReadsCompactTiles;
    // A ship's delta and its place among the held ships, in id order.
    using RunEntry = std::pair<std::size_t, ShipDelta>;

    // Tile changes go compact only to a program that reads them so.
    static std::vector<std::uint8_t> Pack(const std::vector<const NetMessage*>& batch, bool compactTiles = false);
    // One record more at the end of a payload.
    static void Append(const NetMessage& message, std::vector<std::uint8_t>& payload);
    static void Append(const ShipDelta& delta, std::vector<std::uint8_t>& payload);
    // Bytes the message takes in a packed payload.
    static std::size_t PackedSize(const NetMessage& message, bool compactTiles = false);
    static std::size_t PackedSize(const ShipDelta& delta);
    // A run of deltas, their places rising, among held ships.
    static void AppendRun(const std::vector<RunEntry>& run, std::size_t held, std::vector<std::uint8_t>& payload);
    // A snapshot's header, then its run of coarse deltas, none when empty.
    static void AppendFoldedRun(const NetMessage& header, const std::vector<RunEntry>& run, std::size_t held,
                                std::vector<std::uint8_t>& payload);
    // Bytes a delta takes in a run, the run's header aside, and the header.
    static std::size_t RunEntrySize(const ShipDelta& delta, bool coarse = false);
    static std::size_t RunHeaderSize(std::size_t held);
    // The record at the front of the bytes, read into message: the bytes
    // it took, or 0 when it does not read. A record in a message's own wire
    // form reads as NetMessage::Parse has it, a short one as no message.
    // A delta record reads as no message.
    static std::size_t Read(const std::uint8_t* bytes, std::size_t size, NetMessage& message);
    // The delta record at the front of the bytes: the bytes it took, or 0
    // when it is none or does not read.
    static std::size_t ReadDelta(const std::uint8_t* bytes, std::size_t size, ShipDelta& delta);
    // The header of the run at the front of the bytes: the places it names,
    // rising, at least one; the bytes it took, or 0 when it does not read.
    static std::size_t ReadRunHeader(const std::uint8_t* bytes, std::size_t size, std::vector<std::size_t>& places);
    // The snapshot's header at the front of a folded run: the bytes it took
    // up to the run's map, or 0.
    static std::size_t ReadFoldedHeader(const std::uint8_t* bytes, std::size_t size, NetMessage& header);
    // A run's map: the places it names, rising, none for an empty map
    // byte; the bytes it took, or 0 when it does not read.
    static std::size_t ReadRunMap(const std::uint8_t* bytes, std::size_t size, std::vector<std::size_t>& places);
    // One delta of a run, for the ship of that id: the bytes it took, or 0.
    static std::size_t ReadRunEntry(const std::uint8_t* bytes, std::size_t size, std::int32_t id, ShipDelta& delta,
                                    bool coarse = false);
};
