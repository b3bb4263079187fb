#pragma once

#include <cstdint>
#include <map>

namespace platform {

// What a game controller offers, as codes that share the keyboard's 256
// (set-1 scan codes stop below 0xE0): its buttons, and its left stick's
// four directions and two triggers taken past a dead zone.
enum PadInput : int {
    kPadA, kPadB, kPadX, kPadY, kPadBack, kPadGuide, kPadStart, kPadLeftStick, kPadRightStick,
    kPadLeftShoulder, kPadRightShoulder, kPadUp, kPadDown, kPadLeft, kPadRight,
    kPadStickLeft, kPadStickRight, kPadStickUp, kPadStickDown, kPadLeftTrigger, kPadRightTrigger,
    kPadInputs
};

constexpr std::uint8_t kFirstPadCode = 0xE0;
constexpr std::uint8_t PadCode(PadInput input)
{
    return static_cast<std::uint8_t>(kFirstPadCode + input);
}
constexpr bool IsPadCode(std::uint8_t code)
{
    return code >= kFirstPadCode && code < kFirstPadCode + kPadInputs;
}

// Every game controller plugged in, opened when it comes (also those there
// before the game started) and closed when it goes.
class Gamepads {
public:
    // A stick or trigger counts as held past a quarter of its travel.
    static constexpr int kDeadZone = 8192;

    Gamepads();
    ~Gamepads();
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // Takes an SDL event; returns the input it newly pressed, or -1, so the
    // window can deliver it as a key.
    int Handle(const void* event);
    // Sets bit 7 of state[code] for every input held on some controller.
    // The stick turns by degrees: pushed part of the way past the dead
    // zone, its left or right is held in that share of the reads. False
    // when no controller is plugged in.
    bool ReadState(std::uint8_t state[256]);
    int Count() const { return static_cast<int>(open.size()); }

private:
    int StickPress(int axis, int value);

    std::map<std::int32_t, void*> open; // by joystick instance id
    int stickX = 0;                     // -1, 0, 1: the stick's direction
    int stickY = 0;
    bool leftTrigger = false;
    bool rightTrigger = false;
    float turnShare = 0; // of the stick's turn, carried from read to read
};

// The share of its travel past the dead zone an axis value is pushed, 0 to 1;
// the last few per cent count as all the way.
float PushedShare(int value);
// Whether a turn pushed that share is held in this read, given the share
// carried from the reads before, which it updates.
bool HeldThisRead(float share, float& carried);

// The controllers of the game window; false when there are none.
bool ReadPadState(std::uint8_t state[256]);
// The name of a pad code ("Pad A", "Pad Stick Left"); empty for others.
const char* PadName(std::uint8_t code);

} // namespace platform
