#include <gtest/gtest.h>

#include <SDL2/SDL_scancode.h>

#include <cstring>
#include <utility>
#include <vector>

#include "net/GameKey.h"
#include "app/GameSession.h"
#include "app/Input.h"
#include "net/NetMessage.h"
#include "platform/Keyboard.h"
#include "world/GameObject.h"
#include "world/Ship.h"

namespace {

// The keyboard's game keys: first those that stay on this side, then those
// that travel to the server in the order a frame's controls list them.
const std::pair<int, int> kKeys[] = {
    {SDL_SCANCODE_F9, kKeyQuit}, {SDL_SCANCODE_F12, kKeyOutlines}, {SDL_SCANCODE_F11, kKeyNames},
    {SDL_SCANCODE_APOSTROPHE, kKeyChat}, {SDL_SCANCODE_ESCAPE, kKeyLeave},
    // J, L, K, F, SPACE, V, C, E, D, S, R
    {SDL_SCANCODE_J, 7}, {SDL_SCANCODE_L, 8}, {SDL_SCANCODE_K, 9}, {SDL_SCANCODE_F, 16}, {SDL_SCANCODE_SPACE, 11},
    {SDL_SCANCODE_V, 12}, {SDL_SCANCODE_C, 13}, {SDL_SCANCODE_E, 14}, {SDL_SCANCODE_D, 10}, {SDL_SCANCODE_S, 17},
    {SDL_SCANCODE_R, 15}};
constexpr std::size_t kFirstTravelling = 5;

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        input = Input::Instance();
        input->Initialize(nullptr);
        std::memset(state, 0, sizeof state);
    }
    void TearDown() override { Input::Destroy(); }

    void Hold(int sdlScanCode) { state[platform::ScanCodeOf(sdlScanCode)] = 0x80; }
    int HeldCount()
    {
        int n = 0;
        for (int g = 0; g < 256; ++g)
            n += keys[g];
        return n;
    }

    Input* input = nullptr;
    std::uint8_t state[256];
    std::uint8_t keys[256];
};

TEST_F(InputTest, EveryGameKeyComesFromItsKeyAndNoneWhileTyping)
{
    for (const auto& [sdl, key] : kKeys) {
        std::memset(state, 0, sizeof state);
        Hold(sdl);
        input->Translate(state, keys);
        EXPECT_EQ(keys[key], 1) << "game key " << key;
        EXPECT_EQ(HeldCount(), 1);
    }
    std::memset(state, 0, sizeof state);
    Hold(SDL_SCANCODE_Q);
    Hold(SDL_SCANCODE_1);
    input->Translate(state, keys);
    EXPECT_EQ(keys[0], 1) << "keys without a meaning set only flag 0";
    EXPECT_EQ(HeldCount(), 1);

    input->SetKeyboardMode(Input::kTyping);
    EXPECT_TRUE(input->IsTyping());
    input->Translate(state, keys);
    EXPECT_EQ(HeldCount(), 0);
    input->SetKeyboardMode(Input::kGameKeys);
    input->Translate(state, keys);
    EXPECT_EQ(keys[0], 1);
}

TEST_F(InputTest, HeldControlKeysTravelInTheirOrderAndNoneAsOneZero)
{
    NetMessage control;
    Hold(SDL_SCANCODE_F9);
    Hold(SDL_SCANCODE_APOSTROPHE);
    input->Translate(state, keys);
    BuildControlMessage(keys, 12, control);
    ASSERT_EQ(control.Kind(), kMsgControl);
    EXPECT_EQ(std::vector<int>(control.Codes(), control.Codes() + control.CodeCount()), std::vector<int>{0})
        << "nothing that travels is held";

    for (const auto& [sdl, key] : kKeys)
        Hold(sdl);
    input->Translate(state, keys);
    BuildControlMessage(keys, 3, control);
    std::vector<int> expected;
    for (std::size_t i = kFirstTravelling; i < std::size(kKeys); ++i)
        expected.push_back(kKeys[i].second);
    EXPECT_EQ(std::vector<int>(control.Codes(), control.Codes() + control.CodeCount()), expected);
}

// F11 and F12 share one wait of a second, F12 first: held together only
// the outlines toggle, and held on, F11 toggles once a second.
TEST(FunctionKeys, F11AndF12ShareOneWaitOfASecond)
{
    showCollisionOutlines = false;
    showPlayerNames = true;
    FunctionKeys keys;
    keys.Apply(true, true);
    EXPECT_TRUE(showCollisionOutlines);
    EXPECT_TRUE(showPlayerNames);
    keys.Elapse(999);
    keys.Apply(false, true);
    EXPECT_TRUE(showPlayerNames);
    keys.Elapse(1);
    keys.Apply(false, true);
    EXPECT_FALSE(showPlayerNames);
    showCollisionOutlines = false;
    showPlayerNames = true;
}

} // namespace
