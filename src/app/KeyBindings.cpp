#include "app/KeyBindings.h"

#include <strings.h>

#include <cctype>

#include "platform/Keyboard.h"

namespace {

constexpr BindableAction kTable[KeyBindings::kActions] = {
    {"left", kKeyTurnLeft, "Turn Left", "KeysTurnLeft", {0x24, 0}},
    {"right", kKeyTurnRight, "Turn Right", "KeysTurnRight", {0x26, 0}},
    {"thrust", kKeyThrust, "Thrust", "KeysThrust", {0x25, 0}},
    {"shield", kKeyShields, "Shields", "KeysShields", {0x20, 0}},
    {"fire", kKeyFire, "Fire Bullets", "KeysFire", {0x39, 0}},
    {"missile", kKeyMissile, "Fire Missiles", "KeysMissile", {0x2F, 0}},
    {"mine", kKeyMine, "Fire Mines", "KeysMine", {0x2E, 0}},
    {"plasma", kKeyPlasmaMine, "Fire Plasma Mines", "KeysPlasmaMine", {0x12, 0}},
    {"repulsor", kKeyRepulsor, "Fire Repulsor", "KeysRepulsor", {0x13, 0}},
    {"refuel", kKeyFuelUp, "Fuel Up", "KeysFuelUp", {0x21, 0}},
    {"cloak", kKeyCloak, "Activate Cloaking Device", "KeysCloak", {0x1F, 0}},
    {"chat", kKeyChat, "Chat", "KeysChat", {0x28, 0}},
    {"names", kKeyNames, "Toggle Player Names", "KeysNames", {0x57, 0}},
    {"outlines", kKeyOutlines, "Toggle Outlines", "KeysOutlines", {0x58, 0}},
    {"back", kKeyLeave, "(in-game) Return to Main Menu", "KeysLeave", {0x01, 0}},
};

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
    }
}

int KeyBindings::ActionOf(std::uint8_t code) const
{
    for (int action = 0; code && action < kActions; ++action) {
        if (codes[action][0] == code || codes[action][1] == code)
            return action;
    }
    return -1;
}

bool KeyBindings::Bindable(std::uint8_t code)
{
    return code != kQuitKey && *platform::KeyName(code);
}

KeyBindings::Outcome KeyBindings::Bind(int action, std::uint8_t code, int& holder)
{
    if (code == kQuitKey)
        return Outcome::Reserved;
    if (!Bindable(code))
        return Outcome::NoKey;
    holder = ActionOf(code);
    if (holder == action)
        return Outcome::AlreadyBound;
    if (holder >= 0)
        return Outcome::InUse;
    codes[action][1] = codes[action][0];
    codes[action][0] = code;
    return Outcome::Bound;
}

bool KeyBindings::Unbind(int action, std::uint8_t code)
{
    std::uint8_t* keys = codes[action];
    if (!code || (keys[0] != code && keys[1] != code))
        return false;
    if (keys[0] == code)
        keys[0] = keys[1];
    keys[1] = 0;
    return true;
}

void KeyBindings::Clear(int action)
{
    codes[action][0] = 0;
    codes[action][1] = 0;
}

bool KeyBindings::Restore(int action, const std::uint8_t* bytes, std::size_t size)
{
    if (size != kKeysPerAction)
        return false;
    const bool first = bytes[0] == 0 || Bindable(bytes[0]);
    const bool second = bytes[1] == 0 || (Bindable(bytes[1]) && bytes[1] != bytes[0]);
    if (!first || !second || (bytes[0] == 0 && bytes[1] != 0))
        return false;
    codes[action][0] = bytes[0];
    codes[action][1] = bytes[1];
    return true;
}

void KeyBindings::DropDuplicates()
{
    for (int action = 1; action < kActions; ++action) {
        for (int place = kKeysPerAction - 1; place >= 0; --place) {
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

std::string KeyBindings::KeysText(int action) const
{
    if (!codes[action][0])
        return "-";
    std::string text = KeyText(codes[action][0]);
    if (codes[action][1])
        text += "/" + KeyText(codes[action][1]);
    return text;
}
