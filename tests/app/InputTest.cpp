#include <gtest/gtest.h>

#include <SDL2/SDL_scancode.h>

#include <cstring>

#include "app/GameKey.h"
#include "app/Input.h"
#include "platform/Keyboard.h"

namespace {

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

TEST_F(InputTest, EveryGameKeyComesFromItsKey)
{
    const struct {
        int sdl;
        int key;
    } table[] = {{SDL_SCANCODE_F9, kKeyQuit},          {SDL_SCANCODE_F12, kKeyOutlines},
                 {SDL_SCANCODE_F11, kKeyNames},        {SDL_SCANCODE_APOSTROPHE, kKeyChat},
                 {SDL_SCANCODE_J, 7},                  {SDL_SCANCODE_L, 8},
                 {SDL_SCANCODE_K, 9},                  {SDL_SCANCODE_D, 10},
                 {SDL_SCANCODE_SPACE, 11},             {SDL_SCANCODE_V, 12},
                 {SDL_SCANCODE_C, 13},                 {SDL_SCANCODE_E, 14},
                 {SDL_SCANCODE_R, 15},                 {SDL_SCANCODE_F, 16},
                 {SDL_SCANCODE_S, 17},                 {SDL_SCANCODE_ESCAPE, kKeyLeave}};
    for (const auto& entry : table) {
        std::memset(state, 0, sizeof state);
        Hold(entry.sdl);
        input->Translate(state, keys);
        EXPECT_EQ(keys[entry.key], 1) << "game key " << entry.key;
        EXPECT_EQ(HeldCount(), 1);
    }
}

TEST_F(InputTest, KeysWithoutAMeaningSetOnlyFlagZero)
{
    Hold(SDL_SCANCODE_Q);
    Hold(SDL_SCANCODE_1);
    input->Translate(state, keys);
    EXPECT_EQ(keys[0], 1);
    EXPECT_EQ(HeldCount(), 1);
}

TEST_F(InputTest, TypingModeReportsNothing)
{
    Hold(SDL_SCANCODE_J);
    input->SetKeyboardMode(Input::kTyping);
    EXPECT_TRUE(input->IsTyping());
    input->Translate(state, keys);
    EXPECT_EQ(HeldCount(), 0);
    input->SetKeyboardMode(Input::kGameKeys);
    input->Translate(state, keys);
    EXPECT_EQ(keys[kKeyTurnLeft], 1);
}

TEST_F(InputTest, WithoutAKeyboardNothingIsHeld)
{
    input->ReadGameKeys(keys);
    EXPECT_EQ(HeldCount(), 0);
}

} // namespace
