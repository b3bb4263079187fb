#pragma once

#include <string>

#include "app/KeyBindings.h"

class Console;

// Hands g_settings' bindings to the input and to the screens that show
// them; with save, also writes the settings.
void ApplyBindings(bool save);

// Binds a key to an action of g_settings and applies it; the line that
// tells the player what happened.
std::string BindKey(int action, std::uint8_t code);

// /bind [ACTION [KEY]]: alone lists every action's keys, with an action
// shows its keys, with a key binds it. rest is the text after the word.
void BindCommand(Console* console, const std::string& rest);
// /unbind ACTION KEY
void UnbindCommand(Console* console, const std::string& rest);
