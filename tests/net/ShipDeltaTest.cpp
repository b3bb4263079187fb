#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>
#include <vector>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "net/ShipDelta.h"

namespace {

ShipGrid At(std::int32_t vx, std::int32_t vy, std::uint16_t heading)
{
    ShipGrid grid;
    grid.id = 4;
    grid.fuel = 5000;
    grid.motion.x = 1000;
    grid.motion.y = 2000;
    grid.motion.vx = vx;
    grid.motion.vy = vy;
    grid.motion.heading = heading;
    return grid;
}

// A coarse delta rounds the velocity's and the heading's changes to the
// nearest coarse step, halves up, the heading the short way round even
// across half a turn; it reads back as written.
TEST(ShipDelta, ACoarseDeltaRoundsToTheNearestStepAndReadsBack)
{
    struct Case {
        ShipGrid now;
        std::int32_t vx, vy;
        std::int16_t heading;
    };
    const ShipGrid base = At(100, -100, 65000);
    const Case cases[] = {
        {At(100 + 15, -100 - 17, 65000 + 31), 0, -32, 0},
        {At(100 + 16, -100 - 16, 65000 + 32), 32, 0, 64},
        {At(100 - 48, -100 + 80, 65000 - 33), -32, 96, -64},
        {At(100, -100, static_cast<std::uint16_t>(65000 + 32767)), 0, 0, -32768},
        {At(100, -100, static_cast<std::uint16_t>(65000 - 32768)), 0, 0, -32768},
    };
    for (const Case& c : cases) {
        const auto delta = ShipDelta::Between(base, c.now, 0, true);
        ASSERT_TRUE(delta);
        EXPECT_EQ(delta->vx, c.vx);
        EXPECT_EQ(delta->vy, c.vy);
        EXPECT_EQ(delta->heading, c.heading);
        EXPECT_EQ(static_cast<bool>(delta->mask & ShipDelta::kHeading), c.heading != 0);
        ByteWriter out;
        delta->WriteFields(out, true);
        ByteReader in(out.Data().data(), out.Data().size());
        const auto read = ShipDelta::ReadFields(in, 4, true);
        ASSERT_TRUE(read);
        EXPECT_EQ(std::tuple(read->vx, read->vy, read->heading), std::tuple(c.vx, c.vy, c.heading));
        EXPECT_EQ(in.Position(), out.Data().size());
    }
}

// A coarse delta gives fuel to the nearest 1/16, but an empty or a full
// tank exactly, however far off the grid of 1/16 the held fuel lies.
TEST(ShipDelta, ACoarseDeltaTellsAnEmptyAndAFullTankExactly)
{
    const auto made = [](std::uint16_t held, std::uint16_t now, bool large) {
        ShipGrid base = At(0, 0, 0), later = base;
        base.fuel = held;
        later.fuel = now;
        base.largeTank = later.largeTank = large;
        const auto delta = ShipDelta::Between(base, later, 0, true);
        ByteWriter out;
        delta->WriteFields(out, true);
        ByteReader in(out.Data().data(), out.Data().size());
        const auto read = ShipDelta::ReadFields(in, base.id, true);
        const auto applied = read ? read->Applied(base, 0) : std::nullopt;
        return applied ? static_cast<int>(applied->fuel) : -1;
    };
    EXPECT_EQ(made(1000, 1085, false), 1080);
    EXPECT_EQ(made(1000, 1000 - 24, false), 1000 - 16) << "halves up";
    EXPECT_EQ(made(5, 0, false), 0);
    EXPECT_EQ(made(37, 0, true), 0);
    EXPECT_EQ(made(25590, 25600, false), 25600);
    EXPECT_EQ(made(51187, 51200, true), 51200);
    EXPECT_EQ(made(25590, 25600, true), 25606) << "the large tank is not full";
}

// A coarse delta writes a position that strays less than a unit either way
// in one byte, and a farther one as a fine delta does; both read back.
// A near position and a far one at once does not read.
TEST(ShipDelta, ACoarseDeltaWritesANearPositionInOneByte)
{
    const auto written = [](std::int32_t x, std::int32_t y) {
        ShipDelta delta;
        delta.id = 2;
        delta.mask = ShipDelta::kPosition | ShipDelta::kFuel;
        delta.fuel = -320;
        delta.x = x;
        delta.y = y;
        ByteWriter out;
        delta.WriteFields(out, true);
        return out.Data();
    };
    for (const auto& [x, y, size] : {std::tuple(-8, 7, 3u), std::tuple(0, -1, 3u), std::tuple(8, 0, 4u),
                                     std::tuple(-3, -9, 4u)}) {
        const std::vector<std::uint8_t> bytes = written(x, y);
        EXPECT_EQ(bytes.size(), size) << x << ", " << y;
        ByteReader in(bytes.data(), bytes.size());
        const auto read = ShipDelta::ReadFields(in, 2, true);
        ASSERT_TRUE(read);
        EXPECT_EQ(std::tuple(read->mask, read->x, read->y, read->fuel),
                  std::tuple(std::uint8_t{ShipDelta::kPosition | ShipDelta::kFuel}, x, y, -320));
    }
    std::vector<std::uint8_t> both = written(1, 1);
    both[0] |= ShipDelta::kPosition;
    ByteReader in(both.data(), both.size());
    EXPECT_FALSE(ShipDelta::ReadFields(in, 2, true));
}

// A coarse change read from the wire that leaves the 24-bit grid, or a turn
// beyond half of one, does not read.
TEST(ShipDelta, ACoarseChangeBeyondTheGridDoesNotRead)
{
    const auto read = [](std::uint8_t mask, std::initializer_list<std::uint8_t> fields) {
        std::vector<std::uint8_t> bytes {mask};
        bytes.insert(bytes.end(), fields);
        ByteReader in(bytes.data(), bytes.size());
        return ShipDelta::ReadFields(in, 1, true).has_value();
    };
    EXPECT_TRUE(read(ShipDelta::kHeading, {0xFF, 0x07}));            // -1024 zigzagged: -512 steps
    EXPECT_FALSE(read(ShipDelta::kHeading, {0x80, 0x08}));           // 512 steps, past half a turn
    EXPECT_TRUE(read(ShipDelta::kVelocity, {0xFE, 0xFF, 0x07, 0}));  // 65535 steps of 32
    EXPECT_FALSE(read(ShipDelta::kVelocity, {0x80, 0x80, 0x40, 0})); // 2^19 steps: 2^24 on the grid
    EXPECT_TRUE(read(ShipDelta::kVelocity, {0xFF, 0xFF, 0x3F, 0}));  // -2^19 steps: -2^24, the grid's edge
    EXPECT_FALSE(read(ShipDelta::kVelocity, {0x81, 0x80, 0x40, 0})); // one step beyond it
}

} // namespace
