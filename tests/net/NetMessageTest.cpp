#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "net/NetMessage.h"
#include "support/WireBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes a message must be on the wire, written without the codec: the
// kind's size in zeros, each field put at its own offset, little-endian.
struct Layout {
    explicit Layout(std::size_t size) : bytes(size) {}
    Layout& U8(std::size_t at, std::uint8_t value)
    {
        bytes.at(at) = value;
        return *this;
    }
    Layout& I32(std::size_t at, std::uint32_t value)
    {
        for (std::size_t i = 0; i < 4; ++i)
            bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
        return *this;
    }
    Layout& F32(std::size_t at, float value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return I32(at, bits);
    }
    Layout& Text(std::size_t at, const std::string& text)
    {
        for (std::size_t i = 0; i < text.size(); ++i)
            bytes.at(at + i) = static_cast<std::uint8_t>(text[i]);
        return *this;
    }
    Bytes bytes;
};

struct LayoutCase {
    const char* name;
    std::function<void(NetMessage&)> build;
    Layout layout;
};

// Every field holds a value unlike its neighbours', so that a field written
// or read one offset off shows.
std::vector<LayoutCase> LayoutCases()
{
    return {
        {"text", [](NetMessage& m) { m.SetText("abc"); }, Layout(8).U8(0, 1).I32(1, 3).Text(5, "abc")},
        {"empty text", [](NetMessage& m) { m.SetText(""); }, Layout(5).U8(0, 1)},
        {"join", [](NetMessage& m) { m.SetJoin(0x11223344, 5, "Ann"); },
         Layout(16).U8(0, 2).I32(1, 0x11223344).I32(5, 5).I32(9, 3).Text(13, "Ann")},
        {"map", [](NetMessage& m) { m.SetMapName("Warren"); }, Layout(11).U8(0, 3).I32(1, 6).Text(5, "Warren")},
        {"round over", [](NetMessage& m) { m.SetRoundOver(); }, Layout(1).U8(0, 4)},
        {"spawn", [](NetMessage& m) { m.SetPlayerSpawn(0x0A0B0C0D, -40, 80000, 4, "Bo"); },
         Layout(23).U8(0, 5).I32(1, 0x0A0B0C0D).I32(5, static_cast<std::uint32_t>(-40)).I32(9, 80000).I32(13, 4)
             .I32(17, 2).Text(21, "Bo")},
        {"player left", [](NetMessage& m) { m.SetPlayerLeft(0x0601); }, Layout(5).U8(0, 6).I32(1, 0x0601)},
        {"ship killed", [](NetMessage& m) { m.SetShipKilled(0x0801); }, Layout(5).U8(0, 8).I32(1, 0x0801)},
        {"entity killed", [](NetMessage& m) { m.SetEntityKilled(0x0901); }, Layout(5).U8(0, 9).I32(1, 0x0901)},
        {"ship state",
         [](NetMessage& m) {
             m.SetShipState(0x01020304, 0x11, 50.5f, 200.0f, -3, {1, 2, 3, 4}, Vector3(1.5, -2.25, 3),
                            Vector3(4, 5.5, -6), 90.0f);
         },
         Layout(47).U8(0, 10).I32(1, 0x01020304).U8(5, 0x11).F32(6, 50.5f).F32(10, 200.0f).U8(14, 0xFD).U8(15, 1)
             .U8(16, 2).U8(17, 3).U8(18, 4).F32(19, 1.5f).F32(23, -2.25f).F32(27, 3.0f).F32(31, 4.0f).F32(35, 5.5f)
             .F32(39, -6.0f).F32(43, 90.0f)},
        {"entity state",
         [](NetMessage& m) { m.SetEntityState(0x0B01, 6, Vector3(7, 8, 9), Vector3(-1, -2, -3), 45.5f, 3); },
         Layout(41).U8(0, 11).I32(1, 0x0B01).I32(5, 6).I32(9, 3).F32(13, 7.0f).F32(17, 8.0f).F32(21, 9.0f)
             .F32(25, -1.0f).F32(29, -2.0f).F32(33, -3.0f).F32(37, 45.5f)},
        {"turret state", [](NetMessage& m) { m.SetTurretState(0x0C01, 3, true, Vector3(16, 48.5, 2)); },
         Layout(22).U8(0, 12).I32(1, 0x0C01).U8(5, 1).I32(6, 3).F32(10, 16.0f).F32(14, 48.5f).F32(18, 2.0f)},
        {"tile change", [](NetMessage& m) { m.SetTileChange(-1, 0x0304, 200); },
         Layout(10).U8(0, 13).I32(1, 0xFFFFFFFFu).I32(5, 0x0304).U8(9, 200)},
        {"control",
         [](NetMessage& m) {
             const std::int32_t codes[] = {7, 9, 11};
             m.SetControl(42, codes, 3);
         },
         Layout(21).U8(0, 14).I32(1, 42).I32(5, 3).I32(9, 7).I32(13, 9).I32(17, 11)},
        {"halt", [](NetMessage& m) { m.SetHalt(0x01020304); }, Layout(5).U8(0, 15).I32(1, 0x01020304)},
        {"halt below zero", [](NetMessage& m) { m.SetHalt(-5); }, Layout(5).U8(0, 15)},
        {"ping", [](NetMessage& m) { m.SetPing(0xA1B2C3D4u); }, Layout(5).U8(0, 16).I32(1, 0xA1B2C3D4u)},
        {"pong", [](NetMessage& m) { m.SetPong(0xFFFFFFF0u); }, Layout(5).U8(0, 17).I32(1, 0xFFFFFFF0u)},
        {"round clock", [](NetMessage& m) { m.SetRoundClock(271000, 10); },
         Layout(9).U8(0, 20).I32(1, 271000).I32(5, 10)},
        {"round clock without a time limit", [](NetMessage& m) { m.SetRoundClock(-1, 126); },
         Layout(9).U8(0, 20).I32(1, 0xFFFFFFFFu).I32(5, 126)},
        {"team", [](NetMessage& m) { m.SetTeam(0x0D0E0F10, 2); }, Layout(6).U8(0, 21).I32(1, 0x0D0E0F10).U8(5, 2)},
        {"team scores", [](NetMessage& m) { m.SetTeamScores(0x0304, -7); },
         Layout(9).U8(0, 22).I32(1, 0x0304).I32(5, static_cast<std::uint32_t>(-7))},
        {"watch", [](NetMessage& m) { m.SetWatch(4, "Eve"); }, Layout(16).U8(0, 29).I32(5, 4).I32(9, 3).Text(13, "Eve")},
        {"watching", [](NetMessage& m) { m.SetWatching(0, "Eve (2)"); },
         Layout(20).U8(0, 30).I32(9, 7).Text(13, "Eve (2)")},
        {"watchers", [](NetMessage& m) { m.SetWatchers(0x0102); }, Layout(5).U8(0, 31).I32(1, 0x0102)},
        {"killed by", [](NetMessage& m) { m.SetKilledBy(0x0801, 0x0702, 5); },
         Layout(10).U8(0, 32).I32(1, 0x0801).I32(5, 0x0702).U8(9, 5)},
        // The acknowledgement rides after the codes; none leaves the control as it was.
        {"control with a snapshot",
         [](NetMessage& m) {
             const std::int32_t codes[] = {9};
             m.SetControl(42, codes, 1);
             m.SetSnapshotAck(0xBEEF);
         },
         Layout(15).U8(0, 14).I32(1, 42).I32(5, 1).I32(9, 9).U8(13, 0xEF).U8(14, 0xBE)},
        {"snapshot", [](NetMessage& m) { m.SetSnapshot(0x1234, 5, 0xABCD); },
         Layout(6).U8(0, 33).U8(1, 0x34).U8(2, 0x12).U8(3, 5).U8(4, 0xCD).U8(5, 0xAB)},
    };
}

TEST(NetMessage, EveryKindIsWrittenAndReadAtItsOwnOffsets)
{
    for (const LayoutCase& c : LayoutCases()) {
        SCOPED_TRACE(c.name);
        const Bytes& expected = c.layout.bytes;
        // The size written is the kind's: WireOf takes WireSize bytes.
        NetMessage built;
        c.build(built);
        EXPECT_EQ(WireOf(built), expected) << "as written";
        // Read from the expected bytes: a field read from another offset
        // comes out elsewhere when written again, the kind byte with them.
        NetMessage parsed;
        ASSERT_TRUE(parsed.Parse(expected.data(), expected.size()));
        EXPECT_EQ(WireOf(parsed), expected) << "as read";
    }
}

// Lying lengths and short records are the fuzz targets' and the packed
// payload test's; an unknown kind is read but never sent on.
TEST(NetMessage, AnUnknownKindIsReadButNothingIsNoMessage)
{
    NetMessage message;
    const Bytes unknown = {0x63, 1, 2};
    EXPECT_TRUE(message.Parse(unknown.data(), unknown.size()));
    EXPECT_EQ(std::tuple(message.Kind(), message.WireSize()), std::tuple(0x63, 0)) << "an unknown kind, never sent on";
    EXPECT_FALSE(message.Parse(nullptr, 0));
}

} // namespace
