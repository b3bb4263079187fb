#include "app/KeyBindings.h"

#include <strings.h>

#include <cctype>

#include "platform/Gamepads.h"
#include "platform/Keyboard.h"
#include "world/Weapons.h"

namespace {

using platform::PadCode;

constexpr BindableAction kTable[KeyBindings::kActions] = {
    {"left", kKeyTurnLeft, "Turn Left", "KeysTurnLeft", {0x24, 0}, "PadTurnLeft",
     {PadCode(platform::kPadLeft), PadCode(platform::kPadStickLeft)}},
    {"right", kKeyTurnRight, "Turn Right", "KeysTurnRight", {0x26, 0}, "PadTurnRight",
     {PadCode(platform::kPadRight), PadCode(platform::kPadStickRight)}},
    {"thrust", kKeyThrust, "Thrust", "KeysThrust", {0x25, 0}, "PadThrust",
     {PadCode(platform::kPadA), PadCode(platform::kPadRightTrigger)}},
    {"shield", kKeyShields, "Shields", "KeysShields", {0x20, 0}, "PadShields",
     {PadCode(platform::kPadLeftShoulder), 0}},
    {"fire", kKeyFire, ActionOf(kKeyFire), "KeysFire", {0x39, 0}, "PadFire",
     {PadCode(platform::kPadRightShoulder), PadCode(platform::kPadB)}},
    {"missile", kKeyMissile, ActionOf(kKeyMissile), "KeysMissile", {0x2F, 0}, "PadMissile",
     {PadCode(platform::kPadX), 0}},
    {"mine", kKeyMine, ActionOf(kKeyMine), "KeysMine", {0x2E, 0}, "PadMine", {PadCode(platform::kPadY), 0}},
    {"plasma", kKeyPlasmaMine, ActionOf(kKeyPlasmaMine), "KeysPlasmaMine", {0x12, 0}, "PadPlasmaMine",
     {PadCode(platform::kPadLeftTrigger), 0}},
    {"repulsor", kKeyRepulsor, ActionOf(kKeyRepulsor), "KeysRepulsor", {0x13, 0}, "PadRepulsor",
     {PadCode(platform::kPadLeftStick), 0}},
    {"refuel", kKeyFuelUp, "Fuel Up", "KeysFuelUp", {0x21, 0}, "PadFuelUp", {PadCode(platform::kPadBack), 0}},
    {"cloak", kKeyCloak, "Activate Cloaking Device", "KeysCloak", {0x1F, 0}, "PadCloak", {0, 0}},
    {"chat", kKeyChat, "Chat", "KeysChat", {0x28, 0}, "PadChat", {0, 0}},
    {"names", kKeyNames, "Toggle Player Names", "KeysNames", {0x57, 0}, "PadNames", {0, 0}},
    {"outlines", kKeyOutlines, "Toggle Outlines", "KeysOutlines", {0x58, 0}, "PadOutlines", {0, 0}},
    {"back", kKeyLeave, "(in-game) Return to Main Menu", "KeysLeave", {0x01, 0}, "PadLeave",
     {PadCode(platform::kPadStart), 0}},
};

// The first of the two places a code of its kind goes in.
int FirstPlace(std::uint8_t code)
{
    return platform::IsPadCode(code) ? KeyBindings::kKeysPerAction : 0;
}

} // namespace

const BindableAction& KeyBindings::Action(int action)
{
    return kTable[action];
}

int KeyBindings::ActionNamed(const char* name)
{
    for (int action = 0; name && action < kActions; ++action) {
        if (::strcasecmp(name, kTable[action].name) == 0)
            return action;
    }
    return -1;
}

void KeyBindings::Reset()
{
    for (int action = 0; action < kActions; ++action) {
        codes[action][0] = kTable[action].defaults[0];
        codes[action][1] = kTable[action].defaults[1];
        codes[action][2] = kTable[action].padDefaults[0];
        codes[action][3] = kTable[action].padDefaults[1];
    }
}

int KeyBindings::ActionOf(std::uint8_t code) const
{
    for (int action = 0; code && action < kActions; ++action) {
        for (const std::uint8_t held : codes[action]) {
            if (held == code)
                return action;
        }
    }
    return -1;
}

const char* KeyBindings::Reserved(std::uint8_t code)
{
    static constexpr struct {
        std::uint8_t code;
        const char* use;
    } kReserved[] = {
        {kQuitKey, "always quits"},      {kMuteKey, "always mutes"},      {0xC9, "pages the console"},
        {0xD1, "pages the console"},     {0x1C, "ends a chat line"},      {0x0E, "edits a chat line"},
    };
    for (const auto& reserved : kReserved) {
        if (reserved.code == code)
            return reserved.use;
    }
    return nullptr;
}

bool KeyBindings::Bindable(std::uint8_t code)
{
    return !Reserved(code) && *platform::KeyName(code);
}

KeyBindings::Outcome KeyBindings::Bind(int action, std::uint8_t code, int& holder)
{
    if (Reserved(code))
        return Outcome::Reserved;
    if (!Bindable(code))
        return Outcome::NoKey;
    holder = ActionOf(code);
    if (holder == action)
        return Outcome::AlreadyBound;
    if (holder >= 0)
        return Outcome::InUse;
    std::uint8_t* pair = codes[action] + FirstPlace(code);
    pair[1] = pair[0];
    pair[0] = code;
    return Outcome::Bound;
}

bool KeyBindings::Unbind(int action, std::uint8_t code)
{
    std::uint8_t* keys = codes[action] + FirstPlace(code);
    if (!code || (keys[0] != code && keys[1] != code))
        return false;
    if (keys[0] == code)
        keys[0] = keys[1];
    keys[1] = 0;
    return true;
}

void KeyBindings::Clear(int action)
{
    for (std::uint8_t& code : codes[action])
        code = 0;
}

bool KeyBindings::Restore(int action, bool pads, const std::uint8_t* bytes, std::size_t size)
{
    if (size != kKeysPerAction)
        return false;
    const auto fits = [pads](std::uint8_t code) {
        return code == 0 || (Bindable(code) && platform::IsPadCode(code) == pads);
    };
    if (!fits(bytes[0]) || !fits(bytes[1]) || (bytes[0] == 0 && bytes[1] != 0) || (bytes[1] && bytes[0] == bytes[1]))
        return false;
    std::uint8_t* pair = codes[action] + (pads ? kKeysPerAction : 0);
    pair[0] = bytes[0];
    pair[1] = bytes[1];
    return true;
}

void KeyBindings::DropDuplicates()
{
    for (int action = 1; action < kActions; ++action) {
        for (int place = 2 * kKeysPerAction - 1; place >= 0; --place) {
            const int holder = ActionOf(codes[action][place]);
            if (holder >= 0 && holder < action)
                Unbind(action, codes[action][place]);
        }
    }
}

std::string KeyBindings::KeyText(std::uint8_t code)
{
    std::string text = platform::KeyName(code);
    if (text == "Escape")
        return "ESC";
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string KeyBindings::PairText(const std::uint8_t* pair, bool pads)
{
    if (!pair[0])
        return "-";
    // The controller's column needs no "PAD " before each input.
    const auto text = [pads](std::uint8_t code) { return KeyText(code).substr(pads ? 4 : 0); };
    return pair[1] ? text(pair[0]) + "/" + text(pair[1]) : text(pair[0]);
}

std::string KeyBindings::KeysText(int action) const
{
    return PairText(Keys(action), false);
}

std::string KeyBindings::PadsText(int action) const
{
    return PairText(Pads(action), true);
}
