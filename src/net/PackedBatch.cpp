#include "net/PackedBatch.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "net/ShipDelta.h"
#include "net/ShipGrid.h"
#include "net/Varint.h"

namespace {

// The shape byte of a compact state: what its values are, beyond the grid.
constexpr std::uint8_t kLargeTank = 0x01;  // a ship's tank holds 200, else 100
constexpr std::uint8_t kRaised = 0x02;     // z is 1, else 0
constexpr std::uint8_t kWide = 0x04;       // 24-bit coordinates, else 16-bit
constexpr int kAmmunitionShift = 4;        // a ship's nonzero counts, one bit each
static_assert(kAmmunitionShift + kAmmunitionKinds <= 8, "a ship's counts fill the shape byte's high bits");
constexpr int kExtraShift = 4;             // an entity's extra, 0..15

std::uint8_t ShapeOf(const GridMotion& motion)
{
    return static_cast<std::uint8_t>((motion.raised ? kRaised : 0) | (motion.Narrow() ? 0 : kWide));
}

void Coordinate(ByteWriter& out, std::int32_t value, bool wide)
{
    out.U16(static_cast<std::uint16_t>(value));
    if (wide)
        out.U8(static_cast<std::uint8_t>(value >> 16));
}

// A coordinate of the grid as its bytes hold it.
std::int32_t Coordinate(const std::uint8_t* bytes, bool wide, bool isSigned)
{
    const int bits = wide ? GridMotion::kWideBits : GridMotion::kNarrowBits;
    std::int32_t raw = bytes[0] | bytes[1] << 8 | (wide ? bytes[2] << 16 : 0);
    if (isSigned && raw >= (1 << (bits - 1)))
        raw -= 1 << bits;
    return raw;
}

void WriteMotion(ByteWriter& out, const GridMotion& motion)
{
    const bool wide = !motion.Narrow();
    Coordinate(out, motion.x, wide);
    Coordinate(out, motion.y, wide);
    Coordinate(out, motion.vx, wide);
    Coordinate(out, motion.vy, wide);
    out.U16(motion.heading);
}

bool ReadMotion(ByteReader& in, std::uint8_t shape, GridMotion& motion)
{
    const bool wide = shape & kWide;
    const std::size_t width = wide ? 3 : 2;
    const std::uint8_t* bytes = in.Bytes(4 * width + 2);
    if (!bytes)
        return false;
    motion.x = Coordinate(bytes, wide, false);
    motion.y = Coordinate(bytes + width, wide, false);
    motion.vx = Coordinate(bytes + 2 * width, wide, true);
    motion.vy = Coordinate(bytes + 3 * width, wide, true);
    motion.heading = static_cast<std::uint16_t>(bytes[4 * width] | bytes[4 * width + 1] << 8);
    motion.raised = shape & kRaised;
    return true;
}

bool CompactShipState(const NetMessage& message, ByteWriter& out)
{
    const auto grid = ShipGrid::Of(message);
    if (!grid)
        return false;
    std::uint8_t shape = ShapeOf(grid->motion) | (grid->largeTank ? kLargeTank : 0);
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i)
        shape |= grid->counts[i] ? static_cast<std::uint8_t>(1 << (kAmmunitionShift + i)) : 0;
    out.U8(PackedBatch::kCompact | kMsgShipState);
    Varint::Write(out, static_cast<std::uint32_t>(grid->id));
    out.U8(grid->flags);
    out.U8(shape);
    out.U16(grid->fuel);
    out.U8(grid->score);
    for (const std::uint8_t count : grid->counts) {
        if (count)
            out.U8(count);
    }
    WriteMotion(out, grid->motion);
    return true;
}

bool CompactEntityState(const NetMessage& message, ByteWriter& out)
{
    int id = 0;
    int entityKind = 0;
    int extra = 0;
    Vector3 at, moving;
    float heading = 0.0f;
    message.GetEntityState(id, entityKind, at, moving, heading, extra);
    const auto motion = GridMotion::Of(at, moving, heading);
    if (id < 0 || !motion || entityKind < 0 || entityKind > 0xFF || extra < 0 || extra > 0x0F)
        return false;
    out.U8(PackedBatch::kCompact | kMsgEntityState);
    Varint::Write(out, static_cast<std::uint32_t>(id));
    out.U8(static_cast<std::uint8_t>(entityKind));
    out.U8(static_cast<std::uint8_t>(ShapeOf(*motion) | extra << kExtraShift));
    WriteMotion(out, *motion);
    return true;
}

bool CompactEntityKilled(const NetMessage& message, ByteWriter& out)
{
    int id = 0;
    message.GetId(id);
    if (id < 0)
        return false;
    out.U8(PackedBatch::kCompact | kMsgEntityKilled);
    Varint::Write(out, static_cast<std::uint32_t>(id));
    return true;
}

bool CompactTileChange(const NetMessage& message, ByteWriter& out)
{
    int column = 0, row = 0;
    std::uint8_t value = 0;
    message.GetTileChange(column, row, value);
    if (column < 0 || row < 0)
        return false;
    out.U8(PackedBatch::kCompact | kMsgTileChange);
    Varint::Write(out, static_cast<std::uint32_t>(column));
    Varint::Write(out, static_cast<std::uint32_t>(row));
    out.U8(value);
    return true;
}

// The longest compact record: a wide ship state with a five-byte id and
// every count (tag, id, flags, shape, fuel, score, counts, x y vx vy, heading).
constexpr std::size_t kLongestCompact = 1 + 5 + 1 + 1 + 2 + 1 + 4 + 4 * 3 + 2;

bool Compact(const NetMessage& message, ByteWriter& out, bool compactTiles)
{
    const int kind = message.Kind();
    return (kind == kMsgShipState && CompactShipState(message, out)) ||
           (kind == kMsgEntityState && CompactEntityState(message, out)) ||
           (kind == kMsgEntityKilled && CompactEntityKilled(message, out)) ||
           (kind == kMsgTileChange && compactTiles && CompactTileChange(message, out));
}

void Record(const NetMessage& message, ByteWriter& out, bool compactTiles = false)
{
    if (Compact(message, out, compactTiles))
        return;
    const int size = message.WireSize();
    if (size <= 0)
        return;
    // Written in place, then the varint is let in after the kind byte.
    std::vector<std::uint8_t>& bytes = out.Data();
    const std::size_t at = bytes.size();
    const auto rest = static_cast<std::uint32_t>(size - 1);
    const std::size_t lengthBytes = Varint::Size(rest);
    bytes.resize(at + lengthBytes + static_cast<std::size_t>(size));
    message.Serialize(bytes.data() + at + lengthBytes, size);
    bytes[at] = bytes[at + lengthBytes];
    ByteWriter length(bytes.data() + at + 1, lengthBytes);
    Varint::Write(length, rest);
}

bool ReadShipState(ByteReader& in, NetMessage& message)
{
    std::uint32_t id = 0;
    std::uint8_t shape = 0;
    ShipGrid grid;
    if (!Varint::Read(in, id) || id > INT32_MAX || !in.U8(grid.flags) || !in.U8(shape) || !in.U16(grid.fuel) ||
        !in.U8(grid.score))
        return false;
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i) {
        if (shape & (1 << (kAmmunitionShift + i)) && !in.U8(grid.counts[i]))
            return false;
    }
    if (!ReadMotion(in, shape, grid.motion))
        return false;
    grid.id = static_cast<std::int32_t>(id);
    grid.largeTank = shape & kLargeTank;
    grid.Into(message);
    return true;
}

bool ReadEntityState(ByteReader& in, NetMessage& message)
{
    std::uint32_t id = 0;
    std::uint8_t entityKind = 0, shape = 0;
    GridMotion motion;
    if (!Varint::Read(in, id) || id > INT32_MAX || !in.U8(entityKind) || !in.U8(shape) ||
        !ReadMotion(in, shape, motion))
        return false;
    Vector3 at, moving;
    float heading = 0.0f;
    motion.Values(at, moving, heading);
    message.SetEntityState(static_cast<int>(id), entityKind, at, moving, heading, shape >> kExtraShift);
    return true;
}

bool ReadEntityKilled(ByteReader& in, NetMessage& message)
{
    std::uint32_t id = 0;
    if (!Varint::Read(in, id) || id > INT32_MAX)
        return false;
    message.SetEntityKilled(static_cast<int>(id));
    return true;
}

bool ReadTileChange(ByteReader& in, NetMessage& message)
{
    std::uint32_t column = 0, row = 0;
    std::uint8_t value = 0;
    if (!Varint::Read(in, column) || column > INT32_MAX || !Varint::Read(in, row) || row > INT32_MAX ||
        !in.U8(value))
        return false;
    message.SetTileChange(static_cast<int>(column), static_cast<int>(row), value);
    return true;
}

bool ReadCompact(ByteReader& in, int kind, NetMessage& message)
{
    // Nothing of the message read before stays, as in one parsed whole.
    message.Clear();
    return (kind == kMsgShipState && ReadShipState(in, message)) ||
           (kind == kMsgEntityState && ReadEntityState(in, message)) ||
           (kind == kMsgEntityKilled && ReadEntityKilled(in, message)) ||
           (kind == kMsgTileChange && ReadTileChange(in, message));
}

} // namespace

std::vector<std::uint8_t> PackedBatch::Pack(const std::vector<const NetMessage*>& batch, bool compactTiles)
{
    ByteWriter out;
    out.Data().reserve(batch.size() * 20);
    for (const NetMessage* message : batch)
        Record(*message, out, compactTiles);
    return std::move(out.Data());
}

void PackedBatch::Append(const NetMessage& message, std::vector<std::uint8_t>& payload)
{
    ByteWriter out;
    out.Data() = std::move(payload);
    Record(message, out);
    payload = std::move(out.Data());
}

void PackedBatch::Append(const ShipDelta& delta, std::vector<std::uint8_t>& payload)
{
    ByteWriter out;
    out.Data() = std::move(payload);
    out.U8(kShipDelta);
    delta.Write(out);
    payload = std::move(out.Data());
}

std::size_t PackedBatch::PackedSize(const ShipDelta& delta)
{
    std::vector<std::uint8_t> record;
    Append(delta, record);
    return record.size();
}

namespace {

void WriteRunMap(ByteWriter& out, const std::vector<PackedBatch::RunEntry>& run, std::size_t mapBytes)
{
    std::uint8_t map[PackedBatch::kLongestRunMap] = {};
    for (const auto& [place, delta] : run)
        map[place / 8] |= static_cast<std::uint8_t>(1u << place % 8);
    out.U8(static_cast<std::uint8_t>(mapBytes));
    for (std::size_t i = 0; i < mapBytes; ++i)
        out.U8(map[i]);
}

} // namespace

void PackedBatch::AppendRun(const std::vector<RunEntry>& run, std::size_t held, std::vector<std::uint8_t>& payload)
{
    ByteWriter out;
    out.Data() = std::move(payload);
    out.U8(kShipDeltaRun);
    WriteRunMap(out, run, RunHeaderSize(held) - 2);
    for (const auto& [place, delta] : run)
        delta.WriteFields(out);
    payload = std::move(out.Data());
}

void PackedBatch::AppendFoldedRun(const NetMessage& header, const std::vector<RunEntry>& run, std::size_t held,
                                  std::vector<std::uint8_t>& payload)
{
    std::uint16_t number = 0, ms = 0;
    std::uint8_t back = 0;
    header.GetSnapshot(number, back, ms);
    ByteWriter out;
    out.Data() = std::move(payload);
    out.U8(kFoldedRun);
    out.U16(number);
    out.U8(back);
    out.U16(ms);
    WriteRunMap(out, run, run.empty() ? 0 : RunHeaderSize(held) - 2);
    for (const auto& [place, delta] : run)
        delta.WriteFields(out, true);
    payload = std::move(out.Data());
}

std::size_t PackedBatch::RunEntrySize(const ShipDelta& delta, bool coarse)
{
    ByteWriter out;
    delta.WriteFields(out, coarse);
    return out.Size();
}

std::size_t PackedBatch::RunHeaderSize(std::size_t held)
{
    return 2 + std::min(kLongestRunMap, (held + 7) / 8);
}

std::size_t PackedBatch::ReadRunMap(const std::uint8_t* bytes, std::size_t size, std::vector<std::size_t>& places)
{
    ByteReader in(bytes, size);
    std::uint8_t mapBytes = 0;
    const std::uint8_t* map = nullptr;
    if (!in.U8(mapBytes) || mapBytes > kLongestRunMap || !(map = in.Bytes(mapBytes)))
        return 0;
    places.clear();
    for (std::size_t place = 0; place < mapBytes * 8u; ++place) {
        if (map[place / 8] >> place % 8 & 1)
            places.push_back(place);
    }
    // A map of bytes that name no ship is as bad as a place beyond them.
    return mapBytes && places.empty() ? 0 : in.Position();
}

std::size_t PackedBatch::ReadRunHeader(const std::uint8_t* bytes, std::size_t size, std::vector<std::size_t>& places)
{
    if (size == 0 || bytes[0] != kShipDeltaRun)
        return 0;
    const std::size_t map = ReadRunMap(bytes + 1, size - 1, places);
    return map && !places.empty() ? 1 + map : 0;
}

std::size_t PackedBatch::ReadFoldedHeader(const std::uint8_t* bytes, std::size_t size, NetMessage& header)
{
    ByteReader in(bytes, size);
    std::uint8_t tag = 0, back = 0;
    std::uint16_t number = 0, ms = 0;
    if (!in.U8(tag) || tag != kFoldedRun || !in.U16(number) || !in.U8(back) || !in.U16(ms))
        return 0;
    header.Clear();
    header.SetSnapshot(number, back, ms);
    return in.Position();
}

std::size_t PackedBatch::ReadRunEntry(const std::uint8_t* bytes, std::size_t size, std::int32_t id, ShipDelta& delta,
                                      bool coarse)
{
    ByteReader in(bytes, size);
    const auto read = ShipDelta::ReadFields(in, id, coarse);
    if (!read)
        return 0;
    delta = *read;
    return in.Position();
}

std::size_t PackedBatch::ReadDelta(const std::uint8_t* bytes, std::size_t size, ShipDelta& delta)
{
    ByteReader in(bytes, size);
    std::uint8_t tag = 0;
    if (!in.U8(tag) || tag != kShipDelta)
        return 0;
    const auto read = ShipDelta::Read(in);
    if (!read)
        return 0;
    delta = *read;
    return in.Position();
}

std::size_t PackedBatch::PackedSize(const NetMessage& message, bool compactTiles)
{
    std::uint8_t block[kLongestCompact];
    ByteWriter compact(block, sizeof block);
    if (Compact(message, compact, compactTiles))
        return compact.Size();
    const int size = message.WireSize();
    return size <= 0 ? 0 : Varint::Size(static_cast<std::uint32_t>(size - 1)) + static_cast<std::size_t>(size);
}

std::size_t PackedBatch::Read(const std::uint8_t* bytes, std::size_t size, NetMessage& message)
{
    ByteReader in(bytes, size);
    std::uint8_t tag = 0;
    if (!in.U8(tag) || tag == 0)
        return 0;
    // A delta means nothing without its base: read past, as no message.
    if (tag == kShipDelta) {
        message.Clear();
        return ShipDelta::Read(in) ? in.Position() : 0;
    }
    if (tag == kShipDeltaRun || tag == kFoldedRun) {
        // Read past the deltas: a folded run reads as its snapshot's header.
        message.Clear();
        std::vector<std::size_t> places;
        std::size_t at = tag == kShipDeltaRun ? ReadRunHeader(bytes, size, places) : ReadFoldedHeader(bytes, size, message);
        const std::size_t map = at && tag == kFoldedRun ? ReadRunMap(bytes + at, size - at, places) : 0;
        at = tag == kFoldedRun ? (map ? at + map : 0) : at;
        ShipDelta delta;
        for (std::size_t i = 0; at && i < places.size(); ++i) {
            const std::size_t taken = ReadRunEntry(bytes + at, size - at, 0, delta, tag == kFoldedRun);
            at = taken ? at + taken : 0;
        }
        return at;
    }
    if (tag & kCompact)
        return ReadCompact(in, tag & ~kCompact, message) ? in.Position() : 0;
    std::uint32_t rest = 0;
    const std::uint8_t* body = nullptr;
    if (!Varint::Read(in, rest) || !(body = in.Bytes(rest)))
        return 0;
    message.Parse(tag, body, rest);
    return in.Position();
}
