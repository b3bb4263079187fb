#include <gtest/gtest.h>

#include <string>

#include "platform/ChunkedBody.h"

using platform::ChunkedBody;
using State = ChunkedBody::State;

namespace {

const std::string kWire = "4\r\nWiki\r\n6;name=value\r\npedia \r\nE\r\nin \r\n\r\nchunks.\r\n"
                          "0\r\nExpires: never\r\n\r\n";

} // namespace

TEST(ChunkedBody, UnpacksHoweverTheBytesArrive)
{
    for (std::size_t step = 1; step <= kWire.size(); ++step) {
        ChunkedBody body(1024);
        State state = State::Partial;
        for (std::size_t at = 0; at < kWire.size(); at += step)
            state = body.Take(std::string_view(kWire).substr(at, step));
        EXPECT_EQ(state, State::Whole) << step;
        EXPECT_EQ(body.Body(), "Wikipedia in \r\n\r\nchunks.") << step;
    }
    ChunkedBody bare(1024);
    EXPECT_EQ(bare.Take("3\nabc\n0\n\n"), State::Whole) << "bare line feeds are read too";
    EXPECT_EQ(bare.Body(), "abc");
    ChunkedBody cut(1024);
    EXPECT_EQ(cut.Take(kWire.substr(0, kWire.size() - 2)), State::Partial) << "no end before the last empty line";
}

TEST(ChunkedBody, RefusesDamageAndWhatOutgrowsItsBound)
{
    const std::pair<std::string, State> cases[] = {
        {"x\r\n", State::Damaged},
        {"\r\n", State::Damaged},
        {"4 junk\r\nabcd\r\n", State::Damaged},
        {"2\r\nabcd\r\n", State::Damaged}, // data longer than its size
        {std::string(2000, '1'), State::Damaged},
        {"11\r\n", State::TooLarge}, // 17 bytes, over the bound at once
        {"8\r\n12345678\r\n9\r\n", State::TooLarge},
        {"ffffffffffffffffffffffff\r\n", State::TooLarge},
    };
    for (const auto& [wire, state] : cases) {
        ChunkedBody body(16);
        EXPECT_EQ(body.Take(wire), state) << wire.substr(0, 40);
        EXPECT_LE(body.Body().size(), 16u);
    }
}
