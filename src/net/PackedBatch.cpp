#include "net/PackedBatch.h"

#include <cmath>
#include <optional>
#include <utility>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace {

// Steps of the compact forms' grids.
constexpr double kPositionSteps = 8.0;
constexpr double kVelocitySteps = 32.0;
constexpr double kHeadingStep = 360.0 / 65536.0; // exact in binary
constexpr double kFuelSteps = 256.0;

// The shape byte of a compact state: what its values are, beyond the grid.
constexpr std::uint8_t kLargeTank = 0x01;  // a ship's tank holds 200, else 100
constexpr std::uint8_t kRaised = 0x02;     // z is 1, else 0
constexpr std::uint8_t kWide = 0x04;       // 24-bit coordinates, else 16-bit
constexpr int kAmmunitionShift = 4;        // a ship's nonzero counts, one bit each
static_assert(kAmmunitionShift + kAmmunitionKinds <= 8, "a ship's counts fill the shape byte's high bits");
constexpr int kExtraShift = 4;             // an entity's extra, 0..15

constexpr int kNarrowBits = 16;
constexpr int kWideBits = 24;

// A position, motion and heading on the grid.
struct Motion {
    std::int32_t x, y, vx, vy;
    std::uint16_t heading;
    std::uint8_t shape; // kRaised, kWide
};

std::optional<std::int32_t> OnGrid(double value, double steps, std::int64_t lowest, std::int64_t highest)
{
    const double scaled = std::round(value * steps);
    if (!(scaled >= static_cast<double>(lowest) && scaled <= static_cast<double>(highest)))
        return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

std::optional<Motion> MotionOnGrid(const Vector3& at, const Vector3& moving, float heading, int bits)
{
    const std::int64_t span = std::int64_t{1} << bits;
    const auto x = OnGrid(at.x, kPositionSteps, 0, span - 1);
    const auto y = OnGrid(at.y, kPositionSteps, 0, span - 1);
    const auto vx = OnGrid(moving.x, kVelocitySteps, -span / 2, span / 2 - 1);
    const auto vy = OnGrid(moving.y, kVelocitySteps, -span / 2, span / 2 - 1);
    const auto turn = OnGrid(heading, 1.0 / kHeadingStep, 0, 65536);
    const bool flat = (at.z == 0.0 || at.z == 1.0) && moving.z == 0.0 && heading >= 0.0f && heading < 360.0f;
    if (!x || !y || !vx || !vy || !turn || !flat)
        return std::nullopt;
    const auto shape = static_cast<std::uint8_t>((at.z == 1.0 ? kRaised : 0) | (bits == kWideBits ? kWide : 0));
    return Motion {*x, *y, *vx, *vy, static_cast<std::uint16_t>(*turn & 0xFFFF), shape};
}

std::optional<Motion> MotionOnGrid(const Vector3& at, const Vector3& moving, float heading)
{
    // The rules keep a heading just short of a whole turn as a little below 0.
    if (heading < 0.0f && heading > -360.0f)
        heading += 360.0f;
    if (auto narrow = MotionOnGrid(at, moving, heading, kNarrowBits))
        return narrow;
    return MotionOnGrid(at, moving, heading, kWideBits);
}

void Varint(ByteWriter& out, std::uint32_t value)
{
    for (; value >= 0x80; value >>= 7)
        out.U8(static_cast<std::uint8_t>(value | 0x80));
    out.U8(static_cast<std::uint8_t>(value));
}

bool Varint(ByteReader& in, std::uint32_t& value)
{
    value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        std::uint8_t byte = 0;
        if (!in.U8(byte))
            return false;
        value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return shift < 28 || byte < 0x10;
    }
    return false;
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
    const int bits = wide ? kWideBits : kNarrowBits;
    std::int32_t raw = bytes[0] | bytes[1] << 8 | (wide ? bytes[2] << 16 : 0);
    if (isSigned && raw >= (1 << (bits - 1)))
        raw -= 1 << bits;
    return raw;
}

void WriteMotion(ByteWriter& out, const Motion& motion)
{
    const bool wide = motion.shape & kWide;
    Coordinate(out, motion.x, wide);
    Coordinate(out, motion.y, wide);
    Coordinate(out, motion.vx, wide);
    Coordinate(out, motion.vy, wide);
    out.U16(motion.heading);
}

bool ReadMotion(ByteReader& in, std::uint8_t shape, Vector3& at, Vector3& moving, float& heading)
{
    const bool wide = shape & kWide;
    const std::size_t width = wide ? 3 : 2;
    const std::uint8_t* bytes = in.Bytes(4 * width + 2);
    if (!bytes)
        return false;
    // The steps are powers of two: a product by the step is as exact as
    // the quotient by the steps, and far cheaper.
    at.Set(Coordinate(bytes, wide, false) * (1.0 / kPositionSteps),
           Coordinate(bytes + width, wide, false) * (1.0 / kPositionSteps), shape & kRaised ? 1.0 : 0.0);
    moving.Set(Coordinate(bytes + 2 * width, wide, true) * (1.0 / kVelocitySteps),
               Coordinate(bytes + 3 * width, wide, true) * (1.0 / kVelocitySteps), 0.0);
    heading = static_cast<float>((bytes[4 * width] | bytes[4 * width + 1] << 8) * kHeadingStep);
    return true;
}

bool CompactShipState(const NetMessage& message, ByteWriter& out)
{
    int id = 0;
    std::uint8_t flags = 0;
    float fuel = 0.0f;
    float maxFuel = 0.0f;
    signed char score = 0;
    AmmunitionCounts<std::uint8_t> counts {};
    Vector3 at, moving;
    float heading = 0.0f;
    message.GetShipState(id, flags, fuel, maxFuel, score, counts, at, moving, heading);
    const auto motion = MotionOnGrid(at, moving, heading);
    const auto tank = OnGrid(fuel, kFuelSteps, 0, 0xFFFF);
    if (id < 0 || !motion || !tank || (maxFuel != 100.0f && maxFuel != 200.0f))
        return false;
    std::uint8_t shape = motion->shape | (maxFuel == 200.0f ? kLargeTank : 0);
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i)
        shape |= counts[i] ? static_cast<std::uint8_t>(1 << (kAmmunitionShift + i)) : 0;
    out.U8(PackedBatch::kCompact | kMsgShipState);
    Varint(out, static_cast<std::uint32_t>(id));
    out.U8(flags);
    out.U8(shape);
    out.U16(static_cast<std::uint16_t>(*tank));
    out.U8(static_cast<std::uint8_t>(score));
    for (const std::uint8_t count : counts) {
        if (count)
            out.U8(count);
    }
    WriteMotion(out, *motion);
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
    const auto motion = MotionOnGrid(at, moving, heading);
    if (id < 0 || !motion || entityKind < 0 || entityKind > 0xFF || extra < 0 || extra > 0x0F)
        return false;
    out.U8(PackedBatch::kCompact | kMsgEntityState);
    Varint(out, static_cast<std::uint32_t>(id));
    out.U8(static_cast<std::uint8_t>(entityKind));
    out.U8(static_cast<std::uint8_t>(motion->shape | extra << kExtraShift));
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
    Varint(out, static_cast<std::uint32_t>(id));
    return true;
}

// The longest compact record: a wide ship state with a five-byte id and
// every count (tag, id, flags, shape, fuel, score, counts, x y vx vy, heading).
constexpr std::size_t kLongestCompact = 1 + 5 + 1 + 1 + 2 + 1 + 4 + 4 * 3 + 2;

bool Compact(const NetMessage& message, ByteWriter& out)
{
    const int kind = message.Kind();
    return (kind == kMsgShipState && CompactShipState(message, out)) ||
           (kind == kMsgEntityState && CompactEntityState(message, out)) ||
           (kind == kMsgEntityKilled && CompactEntityKilled(message, out));
}

std::size_t VarintSize(std::uint32_t value)
{
    std::size_t size = 1;
    for (; value >= 0x80; value >>= 7)
        ++size;
    return size;
}

void Record(const NetMessage& message, ByteWriter& out)
{
    if (Compact(message, out))
        return;
    const int size = message.WireSize();
    if (size <= 0)
        return;
    // Written in place, then the varint is let in after the kind byte.
    std::vector<std::uint8_t>& bytes = out.Data();
    const std::size_t at = bytes.size();
    const auto rest = static_cast<std::uint32_t>(size - 1);
    const std::size_t lengthBytes = VarintSize(rest);
    bytes.resize(at + lengthBytes + static_cast<std::size_t>(size));
    message.Serialize(bytes.data() + at + lengthBytes, size);
    bytes[at] = bytes[at + lengthBytes];
    ByteWriter length(bytes.data() + at + 1, lengthBytes);
    Varint(length, rest);
}

bool ReadShipState(ByteReader& in, NetMessage& message)
{
    std::uint32_t id = 0;
    std::uint8_t flags = 0, shape = 0, score = 0;
    std::uint16_t tank = 0;
    AmmunitionCounts<std::uint8_t> counts {};
    if (!Varint(in, id) || id > INT32_MAX || !in.U8(flags) || !in.U8(shape) || !in.U16(tank) || !in.U8(score))
        return false;
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i) {
        if (shape & (1 << (kAmmunitionShift + i)) && !in.U8(counts[i]))
            return false;
    }
    Vector3 at, moving;
    float heading = 0.0f;
    if (!ReadMotion(in, shape, at, moving, heading))
        return false;
    message.SetShipState(static_cast<int>(id), flags, static_cast<float>(tank / kFuelSteps),
                         shape & kLargeTank ? 200.0f : 100.0f, static_cast<signed char>(score), counts, at, moving,
                         heading);
    return true;
}

bool ReadEntityState(ByteReader& in, NetMessage& message)
{
    std::uint32_t id = 0;
    std::uint8_t entityKind = 0, shape = 0;
    Vector3 at, moving;
    float heading = 0.0f;
    if (!Varint(in, id) || id > INT32_MAX || !in.U8(entityKind) || !in.U8(shape) ||
        !ReadMotion(in, shape, at, moving, heading))
        return false;
    message.SetEntityState(static_cast<int>(id), entityKind, at, moving, heading, shape >> kExtraShift);
    return true;
}

bool ReadEntityKilled(ByteReader& in, NetMessage& message)
{
    std::uint32_t id = 0;
    if (!Varint(in, id) || id > INT32_MAX)
        return false;
    message.SetEntityKilled(static_cast<int>(id));
    return true;
}

bool ReadCompact(ByteReader& in, int kind, NetMessage& message)
{
    // Nothing of the message read before stays, as in one parsed whole.
    message.Clear();
    return (kind == kMsgShipState && ReadShipState(in, message)) ||
           (kind == kMsgEntityState && ReadEntityState(in, message)) ||
           (kind == kMsgEntityKilled && ReadEntityKilled(in, message));
}

} // namespace

std::vector<std::uint8_t> PackedBatch::Pack(const std::vector<const NetMessage*>& batch)
{
    ByteWriter out;
    out.Data().reserve(batch.size() * 20);
    for (const NetMessage* message : batch)
        Record(*message, out);
    return std::move(out.Data());
}

std::size_t PackedBatch::PackedSize(const NetMessage& message)
{
    std::uint8_t block[kLongestCompact];
    ByteWriter compact(block, sizeof block);
    if (Compact(message, compact))
        return compact.Size();
    const int size = message.WireSize();
    return size <= 0 ? 0 : VarintSize(static_cast<std::uint32_t>(size - 1)) + static_cast<std::size_t>(size);
}

std::size_t PackedBatch::Read(const std::uint8_t* bytes, std::size_t size, NetMessage& message)
{
    ByteReader in(bytes, size);
    std::uint8_t tag = 0;
    if (!in.U8(tag) || tag == 0)
        return 0;
    if (tag & kCompact)
        return ReadCompact(in, tag & ~kCompact, message) ? in.Position() : 0;
    std::uint32_t rest = 0;
    const std::uint8_t* body = nullptr;
    if (!Varint(in, rest) || !(body = in.Bytes(rest)))
        return 0;
    message.Parse(tag, body, rest);
    return in.Position();
}
