#include <gtest/gtest.h>

#include <cstring>

#include "app/GameKey.h"
#include "app/GameSession.h"
#include "net/NetMessage.h"
#include "world/GameObject.h"
#include "world/Ship.h"

namespace {

TEST(ControlMessage, NothingHeldSendsOneZero)
{
    std::uint8_t keys[256] = {};
    keys[kKeyQuit] = 1;
    keys[kKeyChat] = 1;
    NetMessage control;
    BuildControlMessage(keys, 12, control);
    ASSERT_EQ(control.Kind(), kMsgControl);
    ASSERT_EQ(control.CodeCount(), 1);
    EXPECT_EQ(control.Codes()[0], 0);
    EXPECT_EQ(control.WireSize(), 13);
}

TEST(ControlMessage, AllElevenInTheirTravellingOrder)
{
    std::uint8_t keys[256] = {};
    for (int code = 7; code <= 17; ++code)
        keys[code] = 1;
    NetMessage control;
    BuildControlMessage(keys, 3, control);
    ASSERT_EQ(control.CodeCount(), 11);
    const std::int32_t order[] = {7, 8, 9, 16, 11, 12, 13, 14, 10, 17, 15};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(control.Codes()[i], order[i]) << "entry " << i;
    std::uint8_t wire[64];
    control.Serialize(wire, control.WireSize());
    EXPECT_EQ(wire[1], 3) << "the ship's id";
}

class FunctionKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        showCollisionOutlines = false;
        showPlayerNames = true;
    }
    void TearDown() override
    {
        showCollisionOutlines = false;
        showPlayerNames = true;
    }
};

TEST_F(FunctionKeysTest, HoldingF11TogglesOnceASecond)
{
    FunctionKeys keys;
    int toggles = 0;
    bool last = showPlayerNames;
    for (int ms = 0; ms < 2500; ms += 16) {
        keys.Apply(false, true);
        toggles += showPlayerNames != last;
        last = showPlayerNames;
        keys.Elapse(16);
    }
    EXPECT_EQ(toggles, 3);
}

TEST_F(FunctionKeysTest, F11AndF12TogetherToggleOnlyTheOutlines)
{
    FunctionKeys keys;
    keys.Apply(true, true);
    EXPECT_TRUE(showCollisionOutlines);
    EXPECT_TRUE(showPlayerNames) << "the shared wait holds F11 back";
    keys.Elapse(999);
    keys.Apply(false, true);
    EXPECT_TRUE(showPlayerNames);
    keys.Elapse(1);
    keys.Apply(false, true);
    EXPECT_FALSE(showPlayerNames);
}

} // namespace
