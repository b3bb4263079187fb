#include <gtest/gtest.h>

#include <SDL2/SDL_scancode.h>

#include <numeric>
#include <utility>
#include <vector>

#include "app/GameSession.h"
#include "app/Input.h"
#include "net/NetMessage.h"
#include "platform/Keyboard.h"
#include "world/GameKey.h"
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
    }
    void TearDown() override { Input::Destroy(); }

    // Translates the keyboard with only these keys down.
    void Hold(const std::vector<int>& sdlScanCodes)
    {
        std::uint8_t state[256] = {};
        for (int code : sdlScanCodes)
            state[platform::ScanCodeOf(code)] = 0x80;
        input->Translate(state, keys);
    }
    int HeldCount() const { return std::accumulate(keys, keys + 256, 0); }
    std::vector<int> Sent()
    {
        NetMessage control;
        BuildControlMessage(keys, 12, control);
        EXPECT_EQ(control.Kind(), kMsgControl);
        return std::vector<int>(control.Codes(), control.Codes() + control.CodeCount());
    }

    Input* input = nullptr;
    std::uint8_t keys[256];
};

// Each key alone sets its game key only, and travels alone if it travels at
// all; nothing that travels held is sent as one 0. All held travel in their
// order; keys without a meaning set only flag 0; typing sets nothing.
TEST_F(InputTest, EveryGameKeyComesFromItsKeyAndTravelsInItsOrder)
{
    std::vector<int> all, travelling;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const auto [sdl, key] = kKeys[i];
        Hold({sdl});
        EXPECT_EQ(std::tuple(keys[key], HeldCount()), std::tuple(1, 1)) << "game key " << key;
        EXPECT_EQ(Sent(), std::vector<int>{i < kFirstTravelling ? 0 : key}) << "game key " << key;
        all.push_back(sdl);
        if (i >= kFirstTravelling)
            travelling.push_back(key);
    }
    Hold(all);
    EXPECT_EQ(Sent(), travelling);

    Hold({SDL_SCANCODE_Q, SDL_SCANCODE_1});
    EXPECT_EQ(std::tuple(keys[0], HeldCount()), std::tuple(1, 1)) << "keys without a meaning set only flag 0";
    input->SetKeyboardMode(Input::kTyping);
    Hold({SDL_SCANCODE_Q});
    EXPECT_EQ(HeldCount(), 0);
    input->SetKeyboardMode(Input::kGameKeys);
    Hold({SDL_SCANCODE_Q});
    EXPECT_EQ(keys[0], 1);
}

// F11 and F12 share one wait of a second, F12 first: held together only
// the outlines toggle, and held on, F11 toggles once a second.
TEST(FunctionKeys, F11AndF12ShareOneWaitOfASecond)
{
    showCollisionOutlines = false;
    showPlayerNames = true;
    FunctionKeys keys;
    keys.Apply(true, true);
    EXPECT_TRUE(showCollisionOutlines && showPlayerNames) << "only the outlines toggle";
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
