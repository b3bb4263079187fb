#pragma once

#include <cstdint>

// The loop of the InGame state: one game from choosing a server until ESC
// or F9.
void RunGameLoop();

class NetMessage;

// Once a frame, after the keys are read: the chat key opens a line, and its
// own apostrophe is waited for only if it has not already gone by.
void ReadChatKey(bool held);

// The held control keys in the order they travel: J, L, K, F, SPACE, V, C,
// E, D, S, R. Returns how many were written to list (room for 64).
int BuildControlList(const std::uint8_t keys[256], std::int32_t list[64]);

// The control message of one frame for the ship: the held keys, or a single
// 0 when none is held.
void BuildControlMessage(const std::uint8_t keys[256], int shipId, NetMessage& control);

// F12 and F11 toggle their flags at most once a second, sharing one wait.
class FunctionKeys {
public:
    static constexpr int kCooldown = 1000;

    void Apply(bool f12, bool f11);
    void Elapse(int ms);

private:
    int cooldown = 0;
};
