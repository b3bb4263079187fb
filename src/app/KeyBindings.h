#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "world/GameKey.h"

// One game key a player may bind: its name in the console's commands, what
// the key does, the settings values its keys and controller inputs are
// kept under, and its keys and controller inputs at first.
struct BindableAction {
    const char* name;
    GameKey key;
    const char* label;
    const char* value;
    std::uint8_t defaults[2];
    const char* padValue;
    std::uint8_t padDefaults[2];
};

// Which keys (set-1 scan codes) and controller inputs (pad codes), at most
// two of each, each game key has. A key or input belongs to one action at
// most; F9, F8, the console's paging keys and the chat line's Enter and
// Backspace belong to none.
class KeyBindings {
public:
    static constexpr int kActions = 15;
    static constexpr int kKeysPerAction = 2;
    static constexpr std::uint8_t kQuitKey = 0x43; // F9
    static constexpr std::uint8_t kMuteKey = 0x42; // F8

    enum class Outcome { Bound, AlreadyBound, InUse, Reserved, NoKey };

    KeyBindings() { Reset(); }

    static const BindableAction& Action(int action);
    // The action of that console name, in any case; -1 for none.
    static int ActionNamed(const char* name);

    void Reset();
    // The action's keys, first the newest; 0 marks an empty place.
    const std::uint8_t* Keys(int action) const { return codes[action]; }
    // The action's controller inputs, the same way.
    const std::uint8_t* Pads(int action) const { return codes[action] + kKeysPerAction; }
    // The action a key belongs to; -1 for none.
    int ActionOf(std::uint8_t code) const;

    // Puts the key (or input) first among the action's keys (or inputs),
    // dropping its oldest when both places are taken. A key of another action
    // is refused, and holder names that action.
    Outcome Bind(int action, std::uint8_t code, int& holder);
    // False when the key was not the action's.
    bool Unbind(int action, std::uint8_t code);
    // Takes every key and input from the action.
    void Clear(int action);

    // Takes a stored entry of two codes, keys or with pads controller
    // inputs; false, leaving the action as it was, when it is not two
    // distinct codes of that kind, an empty place last.
    bool Restore(int action, bool pads, const std::uint8_t* bytes, std::size_t size);
    // Drops keys that an earlier action holds too, as a damaged store may.
    void DropDuplicates();

    // The keys as a player reads them: "J", "J/A", "SPACE"; "-" for none.
    std::string KeysText(int action) const;
    // The controller inputs the same way: "A/RIGHT TRIGGER".
    std::string PadsText(int action) const;
    // One key or input as a player reads it ("J", "PAD A").
    static std::string KeyText(std::uint8_t code);
    // What a key no action may take always does ("always quits"), or null.
    static const char* Reserved(std::uint8_t code);

private:
    static bool Bindable(std::uint8_t code);
    static std::string PairText(const std::uint8_t* pair, bool pads);

    // Keys in places 0 and 1, controller inputs in 2 and 3.
    std::uint8_t codes[kActions][2 * kKeysPerAction] = {};
};
