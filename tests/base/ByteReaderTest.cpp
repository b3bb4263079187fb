#include <gtest/gtest.h>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace {

TEST(ByteReader, ReadsWhatTheWriterWroteInLittleEndianOrder)
{
    ByteWriter out;
    out.U8(0xAB);
    out.U16(0x1234);
    out.I32(-2);
    out.F32(1.5f);
    out.F64(-0.25);
    const auto& bytes = out.Data();
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 4 + 8);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0xFE);
    EXPECT_EQ(bytes[6], 0xFF);

    ByteReader in(bytes.data(), bytes.size());
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    float f32 = 0;
    double f64 = 0;
    EXPECT_TRUE(in.U8(u8) && in.U16(u16) && in.I32(i32) && in.F32(f32) && in.F64(f64));
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(f32, 1.5f);
    EXPECT_EQ(f64, -0.25);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_FALSE(in.Failed());
}

TEST(ByteReader, ShortReadsFailWithoutMovingAndStayFailed)
{
    const std::uint8_t bytes[3] = {1, 2, 3};
    ByteReader in(bytes, sizeof bytes);
    std::uint32_t value = 99;
    EXPECT_FALSE(in.U32(value));
    EXPECT_EQ(value, 99u);
    EXPECT_EQ(in.Position(), 0u);
    EXPECT_TRUE(in.Failed());
    std::uint8_t small = 0;
    EXPECT_FALSE(in.U8(small)) << "a failed reader reads nothing more";

    ByteReader huge(bytes, sizeof bytes);
    EXPECT_EQ(huge.Bytes(static_cast<std::size_t>(-1)), nullptr);
    EXPECT_FALSE(huge.Skip(4));

    ByteReader none(nullptr, 100);
    EXPECT_EQ(none.Remaining(), 0u);
}

} // namespace
