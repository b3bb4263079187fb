#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/ByteWriter.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Wire(const NetMessage& message)
{
    Bytes bytes(static_cast<std::size_t>(message.WireSize()));
    message.Serialize(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

TEST(NetMessage, TextLayoutIsExact)
{
    NetMessage message;
    message.SetText("abc");
    EXPECT_EQ(Wire(message), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}));

    NetMessage parsed;
    const Bytes bytes = Wire(message);
    ASSERT_TRUE(parsed.Parse(bytes.data(), bytes.size()));
    EXPECT_EQ(parsed.Kind(), kMsgText);
    char text[16] = "zzzzzzzzzzzzzzz";
    parsed.GetText(text, sizeof text);
    EXPECT_STREQ(text, "abc");

    message.SetText("");
    EXPECT_EQ(Wire(message).size(), 5u);
    const Bytes empty = Wire(message);
    ASSERT_TRUE(parsed.Parse(empty.data(), empty.size()));
    parsed.GetText(text, sizeof text);
    EXPECT_STREQ(text, "");
}

TEST(NetMessage, FixedLayouts)
{
    NetMessage message;
    message.SetRoundOver();
    EXPECT_EQ(Wire(message), Bytes{0x04});

    const std::int32_t codes[] = {7, 9, 11};
    message.SetControl(42, codes, 3);
    const Bytes control = Wire(message);
    ASSERT_EQ(control.size(), 21u);
    EXPECT_EQ(control[0], 14);
    EXPECT_EQ(control[1], 42);
    EXPECT_EQ(control[5], 3);
    EXPECT_EQ(control[13], 9);

    message.SetShipState(5, 0x11, 50.0f, 100.0f, -3, 1, 2, 3, 4, Vector3(1, 2, 3), Vector3(4, 5, 6), 90.0f);
    const Bytes state = Wire(message);
    ASSERT_EQ(state.size(), 47u);
    EXPECT_EQ(state[5], 0x11);
    EXPECT_EQ(static_cast<signed char>(state[14]), -3) << "the score at 14";
    EXPECT_EQ(state[18], 4) << "repulsors at 18";
    float heading = 0;
    std::memcpy(&heading, &state[43], 4);
    EXPECT_EQ(heading, 90.0f) << "the heading at 43";

    message.SetTurretState(9, 2, true, Vector3(1, 2, 0));
    EXPECT_EQ(Wire(message).size(), 22u);
    message.SetTileChange(-1, 4, 7);
    EXPECT_EQ(Wire(message).size(), 10u);
    message.SetEntityState(1, 6, Vector3(), Vector3(), 0, 3);
    EXPECT_EQ(Wire(message).size(), 41u);
    message.SetJoin(0, 3, "Ann");
    EXPECT_EQ(Wire(message).size(), 16u);
    message.SetPlayerSpawn(1, 2, 3, 4, "Bo");
    EXPECT_EQ(Wire(message).size(), 23u);
    message.SetHalt(-5);
    EXPECT_EQ(message.HaltArgument(), 0);
    EXPECT_EQ(Wire(message).size(), 5u);
    message.Clear();
    EXPECT_EQ(message.WireSize(), 0) << "nothing to send";
}

TEST(NetMessage, EveryKindRoundTrips)
{
    NetMessage out;
    NetMessage in;
    auto trip = [&] {
        const Bytes bytes = Wire(out);
        EXPECT_TRUE(in.Parse(bytes.data(), bytes.size()));
        EXPECT_EQ(in.Kind(), out.Kind());
    };

    out.SetPlayerSpawn(7, -40, 80, 5, "Zed");
    trip();
    int id = 0, x = 0, y = 0, type = 0;
    char name[8] = {};
    in.GetPlayerSpawn(id, x, y, type, name, sizeof name);
    EXPECT_EQ(id, 7);
    EXPECT_EQ(x, -40);
    EXPECT_EQ(type, 5);
    EXPECT_STREQ(name, "Zed");

    out.SetShipState(3, 0x20, 12.5f, 200.0f, 126, 6, 4, 1, 5, Vector3(0.1, 2048.25, 0), Vector3(-700, 3, 0), 359.5f);
    trip();
    std::uint8_t flags = 0, missiles = 0, mines = 0, plasma = 0, repulsors = 0;
    float fuel = 0, maxFuel = 0, heading = 0;
    signed char score = 0;
    Vector3 position, velocity;
    in.GetShipState(id, flags, fuel, maxFuel, score, missiles, mines, plasma, repulsors, position, velocity, heading);
    EXPECT_EQ(flags, 0x20);
    EXPECT_EQ(score, 126);
    EXPECT_EQ(repulsors, 5);
    EXPECT_EQ(maxFuel, 200.0f);
    EXPECT_EQ(position.y, 2048.25);
    EXPECT_FLOAT_EQ(static_cast<float>(position.x), 0.1f) << "single precision on the wire";
    EXPECT_NE(position.x, 0.1);

    out.SetEntityState(11, 8, Vector3(5, 6, 0), Vector3(7, 8, 0), 45, 1);
    trip();
    int entityKind = 0, extra = 0;
    in.GetEntityState(id, entityKind, position, velocity, heading, extra);
    EXPECT_EQ(entityKind, 8);
    EXPECT_EQ(extra, 1);
    EXPECT_EQ(velocity.y, 8.0);

    out.SetTurretState(2, 3, false, Vector3(16, 48, 0));
    trip();
    int direction = 0;
    std::uint8_t alive = 9;
    in.GetTurretState(id, direction, alive, position);
    EXPECT_EQ(direction, 3);
    EXPECT_EQ(alive, 0);

    out.SetTileChange(-1, 3, 200);
    trip();
    int column = 0, row = 0;
    std::uint8_t value = 0;
    in.GetTileChange(column, row, value);
    EXPECT_EQ(column, -1);
    EXPECT_EQ(value, 200);

    out.SetPong(0xFFFFFFF0u);
    trip();
    std::uint32_t tick = 0;
    in.GetTick(tick);
    EXPECT_EQ(tick, 0xFFFFFFF0u);

    for (auto set : {&NetMessage::SetPlayerLeft, &NetMessage::SetShipKilled, &NetMessage::SetEntityKilled}) {
        (out.*set)(77);
        trip();
        in.GetId(id);
        EXPECT_EQ(id, 77);
    }
}

TEST(NetMessage, ReadersOfTheWrongKindLeaveTheirOutputs)
{
    NetMessage message;
    message.SetText("hello");
    char buffer[8] = "keep";
    message.GetMapName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "keep");
    int id = 5, type = 6;
    message.GetJoin(id, type, buffer, sizeof buffer);
    EXPECT_EQ(id, 5);
    message.GetText(buffer, 3);
    EXPECT_STREQ(buffer, "he") << "cut to the buffer";
}

TEST(NetMessage, ShortOrLyingBytesGiveNoMessage)
{
    NetMessage message;
    message.SetText("old");
    const Bytes lying = {0x01, 0xFF, 0xFF, 0xFF, 0x7F, 'a'};
    EXPECT_FALSE(message.Parse(lying.data(), lying.size()));
    EXPECT_EQ(message.Kind(), 0) << "a text length beyond the message";
    const Bytes shortState = {0x0A, 1, 0, 0, 0, 0x10};
    EXPECT_FALSE(message.Parse(shortState.data(), shortState.size()));
    EXPECT_EQ(message.Kind(), 0);
    const Bytes codes = {0x0E, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x0F, 7, 0, 0, 0};
    EXPECT_FALSE(message.Parse(codes.data(), codes.size())) << "more codes than bytes";
    const Bytes unknown = {0x63, 1, 2};
    EXPECT_TRUE(message.Parse(unknown.data(), unknown.size()));
    EXPECT_EQ(message.Kind(), 0x63);
    EXPECT_EQ(message.WireSize(), 0);
    EXPECT_FALSE(message.Parse(nullptr, 0));
}

Bytes Framed(const std::vector<Bytes>& messages, std::uint32_t count)
{
    ByteWriter out;
    out.U32(count);
    for (const Bytes& message : messages) {
        out.U32(static_cast<std::uint32_t>(message.size()));
        out.Bytes(message.data(), message.size());
    }
    return out.Data();
}

TEST(MessageBatch, KeepsOrderAndStopsWhereTheBytesEnd)
{
    NetMessage a, b;
    a.SetText("first");
    b.SetRoundOver();
    const auto bytes = MessageBatch::Frame({&a, &b});
    MessageBatch batch;
    batch.Parse(bytes.data(), bytes.size());
    ASSERT_EQ(batch.Parsed(), 2u);
    EXPECT_EQ(batch.Begin()->Kind(), kMsgText);
    EXPECT_EQ(batch.Next()->Kind(), kMsgRoundOver);
    EXPECT_EQ(batch.Next(), nullptr);

    const Bytes none = Framed({}, 0);
    batch.Parse(none.data(), none.size());
    EXPECT_EQ(batch.Parsed(), 0u);

    Bytes cut = bytes;
    cut.resize(cut.size() - 1);
    batch.Parse(cut.data(), cut.size());
    EXPECT_EQ(batch.Parsed(), 1u) << "the message that runs past the end is dropped";

    const Bytes boasting = Framed({{0x04}}, 0xFFFFFFFFu);
    batch.Parse(boasting.data(), boasting.size());
    EXPECT_EQ(batch.Parsed(), 1u) << "a count the bytes cannot hold";
    batch.Parse(nullptr, 10);
    EXPECT_EQ(batch.Parsed(), 0u);
}

} // namespace
