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
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 7),
              (std::vector<std::uint8_t>{0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF}));

    ByteReader in(bytes.data(), bytes.size());
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    float f32 = 0;
    double f64 = 0;
    EXPECT_TRUE(in.U8(u8) && in.U16(u16) && in.I32(i32) && in.F32(f32) && in.F64(f64));
    EXPECT_EQ(std::tuple(u8, u16, i32, f32, f64, in.Remaining(), in.Failed()),
              std::tuple(0xAB, 0x1234, -2, 1.5f, -0.25, 0u, false));
}

// A short read moves nothing, and a reader that failed once reads nothing
// more, so a parser may check once at the end.
TEST(ByteReader, ShortReadsFailWithoutMovingAndStayFailed)
{
    const std::uint8_t bytes[3] = {1, 2, 3};
    ByteReader in(bytes, sizeof bytes);
    std::uint32_t value = 99;
    std::uint8_t small = 0;
    EXPECT_FALSE(in.U32(value));
    EXPECT_EQ(std::tuple(value, in.Position(), in.Failed()), std::tuple(99u, 0u, true));
    EXPECT_FALSE(in.U8(small));

    ByteReader huge(bytes, sizeof bytes);
    EXPECT_EQ(huge.Bytes(static_cast<std::size_t>(-1)), nullptr);
    EXPECT_FALSE(huge.Skip(4));
    EXPECT_EQ(ByteReader(nullptr, 100).Remaining(), 0u);
}

} // namespace
