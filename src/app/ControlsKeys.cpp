#include "app/ControlsKeys.h"

#include <string>

#include "app/AppState.h"
#include "app/BindingCommands.h"
#include "app/KeyBindings.h"
#include "app/Settings.h"
#include "gfx/screens/ControlsScreen.h"
#include "platform/Gamepads.h"
#include "platform/Window.h"

namespace {

// The next key after Enter on an action's line binds it; ESC cancels.
void OnControlsCapture(std::uint32_t key, std::uint8_t code)
{
    ControlsScreen* controls = ControlsScreen::Instance();
    controls->SetWaiting(false);
    if (key == platform::kVkEscape && !platform::IsPadCode(code))
        controls->SetNotice("");
    else
        controls->SetNotice(BindKey(controls->Selected(), code));
}

void OnControlsEnter(ControlsScreen* controls)
{
    const int action = controls->Selected();
    if (action >= KeyBindings::kActions) {
        g_settings.Keys.Reset();
        ApplyBindings(true);
        controls->SetNotice("Every action has its first keys again");
        return;
    }
    controls->SetWaiting(true);
    controls->SetNotice("Press a key or button for " + std::string(KeyBindings::Action(action).label) + ", Escape cancels");
}

} // namespace

void OnControlsKey(std::uint32_t key, std::uint8_t code)
{
    ControlsScreen* controls = ControlsScreen::Instance();
    if (controls->Waiting()) {
        OnControlsCapture(key, code);
        return;
    }
    switch (key) {
    case platform::kVkEscape: g_appState = AppState::Options; break;
    case platform::kVkUp: controls->SelectPrevious(); break;
    case platform::kVkDown: controls->SelectNext(); break;
    case platform::kVkReturn: OnControlsEnter(controls); break;
    case platform::kVkBack:
        if (controls->Selected() < KeyBindings::kActions) {
            g_settings.Keys.Clear(controls->Selected());
            ApplyBindings(true);
        }
        break;
    default: break;
    }
}
