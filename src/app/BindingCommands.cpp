#include "app/BindingCommands.h"

#include <string>
#include <string_view>

#include "app/Input.h"
#include "app/Settings.h"
#include "base/Console.h"
#include "base/NextWord.h"
#include "gfx/screens/ControlsScreen.h"
#include "gfx/screens/InstructionsScreen.h"
#include "platform/Gamepads.h"
#include "platform/Keyboard.h"

namespace {

constexpr int kListedPerLine = 5;

// The text without delimiters before it and spaces after it.
std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" =");
    if (first == std::string_view::npos)
        return "";
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// "ACTION KEY" as the action's name and the key's.
struct Target {
    std::string name;
    std::string key;
};

Target TargetIn(const std::string& rest)
{
    std::string_view text = rest;
    const std::string_view name = NextWord(text, " =");
    return {std::string(name), Trimmed(text)};
}

// The action named, or -1 once the player is told it is unknown.
int ActionOf(Console* console, const std::string& name)
{
    const int action = KeyBindings::ActionNamed(name.c_str());
    if (action < 0)
        console->Print("Unknown action \"%s\", /bind lists the actions", name.c_str());
    return action;
}

void ShowKeys(Console* console, int action)
{
    console->Print("%s: %s, pad %s", KeyBindings::Action(action).name, g_settings.Keys.KeysText(action).c_str(),
                   g_settings.Keys.PadsText(action).c_str());
}

// What an action holds now of the code's kind.
std::string Holds(int action, std::uint8_t code)
{
    const KeyBindings& keys = g_settings.Keys;
    const std::string name = KeyBindings::Action(action).name;
    return platform::IsPadCode(code) ? name + ": pad " + keys.PadsText(action) : name + ": " + keys.KeysText(action);
}

void ListBindings(Console* console)
{
    std::string line;
    for (int action = 0; action < KeyBindings::kActions; ++action) {
        line += std::string(KeyBindings::Action(action).name) + "=" + g_settings.Keys.KeysText(action) + " ";
        if ((action + 1) % kListedPerLine == 0 || action + 1 == KeyBindings::kActions) {
            console->Print("%s", line.c_str());
            line.clear();
        }
    }
}

} // namespace

void ApplyBindings(bool save)
{
    const KeyBindings& keys = g_settings.Keys;
    Input::Instance()->UseBindings(keys);
    InstructionsScreen* instructions = InstructionsScreen::Instance();
    ControlsScreen* controls = ControlsScreen::Instance();
    for (int action = 0; action < KeyBindings::kActions; ++action) {
        instructions->SetKeysText(KeyBindings::Action(action).key, keys.KeysText(action));
        controls->SetRow(action, {KeyBindings::Action(action).label, keys.KeysText(action), keys.PadsText(action)});
    }
    controls->SetRow(KeyBindings::kActions, {"Reset to defaults", "", ""});
    if (save)
        WriteControlSettings(g_settings);
}

std::string BindKey(int action, std::uint8_t code)
{
    int holder = -1;
    const std::string key = KeyBindings::KeyText(code);
    switch (g_settings.Keys.Bind(action, code, holder)) {
    case KeyBindings::Outcome::Bound:
        ApplyBindings(true);
        return Holds(action, code);
    case KeyBindings::Outcome::AlreadyBound:
        return key + " is already bound to " + KeyBindings::Action(action).name;
    case KeyBindings::Outcome::InUse:
        return key + " is already used by " + KeyBindings::Action(holder).name;
    case KeyBindings::Outcome::Reserved: return key + " " + KeyBindings::Reserved(code);
    case KeyBindings::Outcome::NoKey: break;
    }
    return "That key cannot be bound";
}

void BindCommand(Console* console, const std::string& rest)
{
    const Target target = TargetIn(rest);
    if (target.name.empty()) {
        ListBindings(console);
        return;
    }
    const int action = ActionOf(console, target.name);
    if (action < 0)
        return;
    if (target.key.empty()) {
        ShowKeys(console, action);
        return;
    }
    const std::uint8_t code = platform::KeyNamed(target.key.c_str());
    if (!code) {
        console->Print("Unknown key \"%s\"", target.key.c_str());
        return;
    }
    console->Print("%s", BindKey(action, code).c_str());
}

void UnbindCommand(Console* console, const std::string& rest)
{
    const Target target = TargetIn(rest);
    if (target.name.empty()) {
        console->Print("Unbind needs an action and a key");
        return;
    }
    const int action = ActionOf(console, target.name);
    if (action < 0)
        return;
    const std::uint8_t code = platform::KeyNamed(target.key.c_str());
    if (!g_settings.Keys.Unbind(action, code)) {
        console->Print("%s is not bound to %s", target.key.c_str(), KeyBindings::Action(action).name);
        return;
    }
    ApplyBindings(true);
    console->Print("%s", Holds(action, code).c_str());
}
