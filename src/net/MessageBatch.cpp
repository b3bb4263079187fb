#include "net/MessageBatch.h"

#include "net/PackedBatch.h"
#include "net/ShipDelta.h"
#include "net/Snapshots.h"

void MessageBatch::ParsePacked(const std::uint8_t* packed, std::size_t packedSize)
{
    bytes = packed;
    size = packed ? packedSize : 0;
    offset = 0;
    runIds.clear();
}

NetMessage* MessageBatch::Begin()
{
    offset = 0;
    runIds.clear();
    return Next();
}

NetMessage* MessageBatch::Next()
{
    if (offset >= size)
        return nullptr;
    const std::size_t taken = ReadRecord();
    // A record that does not read ends the payload, and its snapshot with it.
    offset = taken ? offset + taken : size;
    // So does a run cut short by the payload's end.
    if (snapshots && (!taken || (offset == size && InRun())))
        snapshots->Abandon();
    else if (snapshots && offset == size)
        snapshots->Close();
    return taken ? &current : nullptr;
}

std::size_t MessageBatch::ReadRecord()
{
    const std::uint8_t* record = bytes + offset;
    if (!snapshots)
        return PackedBatch::Read(record, size - offset, current);
    if (InRun())
        return ReadRunEntry(record);
    if (record[0] == PackedBatch::kShipDeltaRun) {
        runIds.clear();
        runCoarse = false;
        const std::size_t header = PackedBatch::ReadRunHeader(record, size - offset, runPlaces);
        if (!header || !snapshots->HeldAt(runPlaces, runIds)) {
            runIds.clear();
            return 0;
        }
        runAt = 0;
        const std::size_t entry = ReadRunEntry(record + header);
        return entry ? header + entry : 0;
    }
    if (record[0] == PackedBatch::kFoldedRun)
        return ReadFoldedRun(record);
    if (record[0] == PackedBatch::kShipDelta) {
        ShipDelta delta;
        const std::size_t taken = PackedBatch::ReadDelta(record, size - offset, delta);
        return taken && snapshots->Apply(delta, current) ? taken : 0;
    }
    const std::size_t taken = PackedBatch::Read(record, size - offset, current);
    if (taken && current.Kind() == kMsgSnapshot) {
        std::uint16_t number = 0, ms = 0;
        std::uint8_t back = 0;
        current.GetSnapshot(number, back, ms);
        snapshots->Open(number, back, ms);
    } else if (taken && current.Kind() == kMsgShipState) {
        snapshots->Heard(current, record[0] == (PackedBatch::kCompact | kMsgShipState));
    }
    return taken;
}

std::size_t MessageBatch::ReadFoldedRun(const std::uint8_t* record)
{
    // The header is this record's message; the run's deltas follow as a
    // message each.
    runIds.clear();
    runCoarse = true;
    const std::size_t left = size - offset;
    const std::size_t header = PackedBatch::ReadFoldedHeader(record, left, current);
    const std::size_t map = header ? PackedBatch::ReadRunMap(record + header, left - header, runPlaces) : 0;
    if (!map)
        return 0;
    std::uint16_t number = 0, ms = 0;
    std::uint8_t back = 0;
    current.GetSnapshot(number, back, ms);
    snapshots->Open(number, back, ms);
    if (!runPlaces.empty() && !snapshots->HeldAt(runPlaces, runIds)) {
        runIds.clear();
        return 0;
    }
    runAt = 0;
    return header + map;
}

std::size_t MessageBatch::ReadRunEntry(const std::uint8_t* record)
{
    ShipDelta delta;
    const std::size_t left = size - static_cast<std::size_t>(record - bytes);
    const std::size_t taken = PackedBatch::ReadRunEntry(record, left, runIds[runAt], delta, runCoarse);
    if (!taken || !snapshots->Apply(delta, current)) {
        runIds.clear();
        return 0;
    }
    ++runAt;
    return taken;
}

std::size_t MessageBatch::Count() const
{
    bool whole = true;
    const std::size_t read = Walk(whole);
    return whole ? read : read + 1;
}

std::size_t MessageBatch::Parsed() const
{
    bool whole = true;
    return Walk(whole);
}

std::size_t MessageBatch::Walk(bool& whole) const
{
    NetMessage message;
    std::size_t read = 0;
    for (std::size_t at = 0; at < size; ++read) {
        const std::size_t taken = PackedBatch::Read(bytes + at, size - at, message);
        if (!taken) {
            whole = false;
            break;
        }
        at += taken;
    }
    return read;
}
