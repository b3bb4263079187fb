#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "net/MessageBatch.h"
#include "net/PackedBatch.h"
#include "support/WireBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Build = std::function<void(NetMessage&)>;

constexpr float kTurnStep = 360.0f / 65536.0f;
// A place and a speed off the compact grid.
const Vector3 kAt(517.3, 211.06, 1);
const Vector3 kMoving(-97.013, 305.5, 0);

struct Messages {
    explicit Messages(const std::vector<Build>& builds)
    {
        for (const Build& build : builds) {
            build(held.emplace_back());
            batch.push_back(&held.back());
        }
    }
    std::deque<NetMessage> held;
    std::vector<const NetMessage*> batch;
};

std::vector<Bytes> Wires(const std::vector<const NetMessage*>& batch)
{
    std::vector<Bytes> wires;
    for (const NetMessage* message : batch)
        wires.push_back(WireOf(*message));
    return wires;
}

// The wire forms of the messages a payload reads as.
std::vector<Bytes> Read(const Bytes& packed)
{
    MessageBatch batch;
    batch.ParsePacked(packed.data(), packed.size());
    std::vector<Bytes> wires;
    for (const NetMessage* message = batch.Begin(); message; message = batch.Next())
        wires.push_back(WireOf(*message));
    return wires;
}

Build Ship(Vector3 at, Vector3 moving, float heading, float fuel = 37.5f, float tank = 100.0f)
{
    return [=](NetMessage& m) { m.SetShipState(7, 0x11, fuel, tank, -3, {0, 2, 0, 9}, at, moving, heading); };
}

Build Entity(Vector3 at, Vector3 moving, float heading, int kind = 6, int extra = 5)
{
    return [=](NetMessage& m) { m.SetEntityState(300000, kind, at, moving, heading, extra); };
}

// What does not fit the compact grid goes as it is.
TEST(PackedBatch, EveryMessageComesBackAsItsWireFormHasIt)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Messages messages({
        [](NetMessage& m) { m.SetText("Ann destroyed Bob"); },
        [](NetMessage& m) { m.SetJoin(3, 2, "Ann"); },
        [](NetMessage& m) { m.SetMapName("Arena"); },
        [](NetMessage& m) { m.SetRoundOver(); },
        [](NetMessage& m) { m.SetPlayerSpawn(3, -40, 900, 5, "Ann"); },
        [](NetMessage& m) { m.SetShipKilled(3); },
        [](NetMessage& m) { m.SetEntityKilled(1u << 30); },
        Ship(Vector3(1000.125, 8191.875, 1), Vector3(-1024, 1023.96875, 0), 65535 * kTurnStep),
        Ship(Vector3(0, 4000.5, 0), Vector3(0.5, -0.25, 0), 0.0f, 255.99609f, 200.0f),
        Ship(Vector3(9000.25, 70000, 1), Vector3(200000.5, -3, 0), 90.0f), // wide
        Entity(Vector3(12.5, 13.75, 1), Vector3(-664.1875, 40.6875, 0), 33030 * kTurnStep),
        [](NetMessage& m) { m.SetTurretState(4, 3, true, Vector3(48, 80, 0)); },
        [](NetMessage& m) { m.SetTileChange(12, 40, 255); },
        [](NetMessage& m) { m.SetPong(0xFEEDBEEF); },
        Ship(Vector3(-0.5, 10, 0), kMoving, 1.0f),            // left of the world
        Ship(kAt, Vector3(0, 0, 2), 1.0f),                    // climbing
        Ship(kAt, kMoving, 360.0f),                           // a whole turn
        Ship(kAt, kMoving, nan),                              // not a number
        Ship(kAt, kMoving, 1.0f, 300.0f, 300.0f),             // an unknown tank
        Ship(kAt, Vector3(1e9, 0, 0), 1.0f),                  // too fast even when wide
        Entity(Vector3(kAt.x, kAt.y, 0.5), kMoving, 1.0f),    // between floors
        Entity(kAt, kMoving, 1.0f, 2, 16),                    // an extra beyond four bits
        [](NetMessage& m) { m.SetEntityKilled(-1); },
    });
    const Bytes packed = PackedBatch::Pack(messages.batch);
    EXPECT_EQ(Read(packed), Wires(messages.batch));

    std::size_t sizes = 0;
    for (const NetMessage* message : messages.batch)
        sizes += PackedBatch::PackedSize(*message);
    EXPECT_EQ(sizes, packed.size()) << "what the bucket is charged is what goes";
}

// Tile changes go compact only to a program that reads them so, laid out
// as documented; they read back as their own form has them, and a column
// or row out of an id's range does not read.
TEST(PackedBatch, TileChangesGoCompactOnlyWhenAsked)
{
    const Messages messages({
        [](NetMessage& m) { m.SetTileChange(12, 200, 255); },
        [](NetMessage& m) { m.SetTileChange(-1, 3, 7); }, // no varint for it
    });
    const Bytes compact = PackedBatch::Pack(messages.batch, true);
    const Bytes whole = PackedBatch::Pack(messages.batch);
    EXPECT_EQ(Bytes(compact.begin(), compact.begin() + 5), (Bytes {0x8D, 12, 0xC8, 0x01, 0xFF}));
    EXPECT_EQ(compact.size(), whole.size() - 6);
    EXPECT_EQ(Read(compact), Wires(messages.batch));
    EXPECT_EQ(PackedBatch::PackedSize(*messages.batch[0], true), 5u);
    EXPECT_EQ(Read({0x8D, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 1, 2}).size(), 0u) << "a column past 2^31 - 1";
    EXPECT_EQ(Read({0x8D, 1, 2}).size(), 0u) << "cut short";
}

// The layout as another client would write it from the protocol notes.
TEST(PackedBatch, RecordsAreLaidOutByteForByteAsDocumented)
{
    const std::string line(200, 'x');
    const Messages messages({
        Ship(Vector3(1000.125, 4000.5, 1), Vector3(-2.5, 3.25, 0), 90.0f, 37.5f, 200.0f),
        [](NetMessage& m) { m.SetEntityState(300, 3, Vector3(9000, 16, 0), Vector3(-1, 0, 0), -90.0f, 5); },
        [](NetMessage& m) { m.SetEntityKilled(200); },
        [&](NetMessage& m) { m.SetText(line.c_str()); },
    });
    Bytes expected = {
        0x8A, 0x07, 0x11, 0xA3, 0x80, 0x25, 0xFD, 0x02, 0x09,        // id, flags, shape, fuel, score, counts
        0x41, 0x1F, 0x04, 0x7D, 0xB0, 0xFF, 0x68, 0x00, 0x00, 0x40,  // x, y, vx, vy, heading
        0x8B, 0xAC, 0x02, 0x03, 0x54,                                // id, kind, shape with the extra
        0x40, 0x19, 0x01, 0x80, 0x00, 0x00, 0xE0, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xC0,
        0x89, 0xC8, 0x01,                                            // an entity's death
        0x01, 0xCC, 0x01, 0xC8, 0x00, 0x00, 0x00,                    // a text in its own form
    };
    for (const char c : line)
        expected.push_back(static_cast<std::uint8_t>(c));
    EXPECT_EQ(PackedBatch::Pack(messages.batch), expected);
}

TEST(PackedBatch, StatesAreCompactOnTheirGrid)
{
    const Messages rough({Ship(kAt, kMoving, 12.34f), Entity(kAt, kMoving, 12.34f)});
    const Bytes roughly = PackedBatch::Pack(rough.batch);
    MessageBatch batch;
    batch.ParsePacked(roughly.data(), roughly.size());
    ASSERT_EQ(batch.Parsed(), 2u);
    int id = 0, kind = 0, extra = 0;
    float heading = 0;
    Vector3 gotAt, gotMoving;
    batch.Begin();
    batch.Next()->GetEntityState(id, kind, gotAt, gotMoving, heading, extra);
    EXPECT_LE(std::fabs(gotAt.x - kAt.x), 1 / 16.0);
    EXPECT_LE(std::fabs(gotAt.y - kAt.y), 1 / 16.0);
    EXPECT_LE(std::fabs(gotMoving.x - kMoving.x), 1 / 64.0);
    EXPECT_LE(std::fabs(heading - 12.34f), 0.003f);
    EXPECT_EQ(gotAt.z, 1.0);
    EXPECT_LE(PackedBatch::PackedSize(*rough.batch[0]), 20u);
    EXPECT_LE(PackedBatch::PackedSize(*rough.batch[1]), 17u);
}

TEST(PackedBatch, APayloadReadsUpToItsFaultAndAShortRecordIsNoMessage)
{
    const Messages messages({Ship(Vector3(1, 2, 0), Vector3(3, 4, 0), 5.0f), [](NetMessage& m) { m.SetText("hi"); },
                             [](NetMessage& m) { m.SetEntityKilled(99); }});
    const Bytes packed = PackedBatch::Pack(messages.batch);
    const std::size_t firstEnd = PackedBatch::PackedSize(*messages.batch[0]);
    for (std::size_t cut = 1; cut < packed.size(); ++cut) {
        const Bytes part(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut));
        const bool whole = cut == firstEnd || cut == packed.size() - 2;
        MessageBatch batch;
        batch.ParsePacked(part.data(), part.size());
        EXPECT_EQ(Read(part).size(), batch.Parsed()) << "cut at " << cut;
        EXPECT_EQ(batch.Parsed(), cut < firstEnd ? 0u : 1u + (cut >= packed.size() - 2)) << "cut at " << cut;
        EXPECT_EQ(batch.Count(), batch.Parsed() + !whole) << "cut at " << cut;
    }

    const Bytes unknownCompact = {PackedBatch::kCompact | kMsgText, 0};
    const Bytes noKind = {0, 0};
    const Bytes longVarint = {kMsgText, 0x82, 0x80, 0x80, 0x80, 0x10, 'h', 'i'}; // 2 + 2^32
    const Bytes sixByteVarint = {kMsgText, 0x82, 0x80, 0x80, 0x80, 0x80, 0x00, 'h', 'i'};
    const Bytes boastingLength = {kMsgText, 0x40, 'h', 'i'};
    const Bytes hugeId = {PackedBatch::kCompact | kMsgEntityKilled, 0x80, 0x80, 0x80, 0x80, 0x08}; // 2^31
    const Bytes first(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(firstEnd));
    for (const Bytes& bad : {unknownCompact, noKind, longVarint, sixByteVarint, boastingLength, hugeId}) {
        Bytes payload = packed;
        payload.insert(payload.begin() + static_cast<std::ptrdiff_t>(firstEnd), bad.begin(), bad.end());
        MessageBatch batch;
        batch.ParsePacked(payload.data(), payload.size());
        EXPECT_EQ(std::tuple(batch.Parsed(), batch.Count()), std::tuple(1u, 2u)) << "nothing after the fault";
        EXPECT_EQ(Read(payload), Read(first));
    }

    // A record that reads but holds less than its kind needs is no message,
    // and the payload goes on; a kind this side does not know goes through
    // for the client to ignore.
    const Bytes payload = {kMsgShipState, 2, 1, 0, 0x63, 1, 7, kMsgRoundOver, 0};
    MessageBatch batch;
    batch.ParsePacked(payload.data(), payload.size());
    std::vector<int> kinds;
    for (const NetMessage* message = batch.Begin(); message; message = batch.Next())
        kinds.push_back(message->Kind());
    EXPECT_EQ(kinds, (std::vector<int> {kMsgNone, 0x63, kMsgRoundOver}));
    EXPECT_EQ(batch.Begin()->Kind(), kMsgNone) << "Begin starts over";
    EXPECT_EQ(std::tuple(batch.Parsed(), batch.Count()), std::tuple(3u, 3u));

    batch.ParsePacked(nullptr, 10);
    EXPECT_EQ(std::tuple(batch.Begin(), batch.Count()), std::tuple(nullptr, 0u));
}

} // namespace
