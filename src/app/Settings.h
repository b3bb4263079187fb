#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/KeyBindings.h"

// The player's persistent settings, each kept under the value of the same
// name in the settings key.
struct Settings {
    static constexpr std::size_t kNameSize = 128; // 127 characters and a zero

    char PlayerName[kNameSize] = {};
    std::int32_t ShipType = 0;
    std::int32_t ResWidth = 1024;
    std::int32_t ResHeight = 768;
    std::int32_t ResDepth = 32;
    std::int32_t ResFreq = 60;
    std::int32_t Volume = 7; // of sound, 0 to 10
    // Each bindable action's keys, under its own value: a damaged value
    // gives that action its first keys.
    KeyBindings Keys;
    // 1 when the game runs in a window rather than on the full screen, and
    // that window's size (0: the display mode's).
    std::int32_t Windowed = 0;
    std::int32_t WindowWidth = 0;
    std::int32_t WindowHeight = 0;
    // 1 when every game is recorded into the demos folder (/record).
    std::int32_t RecordDemos = 1;
    // 1 when the game shows only its designed screens (/hud classic): no
    // death or round-clock lines, no key to the internet list named.
    std::int32_t ClassicHud = 0;
    // The masters that list internet servers (--master), asked in order,
    // and the servers marked as favourites, "a.b.c.d:port" each.
    std::vector<std::string> Masters;
    std::vector<std::string> Favourites;

    // Takes at most the first 127 characters of name.
    void SetPlayerName(const char* name);
};

// The process-wide settings.
extern Settings g_settings;

// Fills settings from the key. Without a readable key the values stay as
// they are; a value that is absent or of the wrong length is not taken.
void LoadSettings(Settings& settings);

// Writes all seven values, the key bindings and the window; a key that
// cannot be created or written is quietly left as it was. Returns whether
// the values were stored.
bool WriteSettings(const Settings& settings);
// Writes only the key bindings, the window, recording, the hud and the
// internet list's masters and favourites, which change on their own
// while the other values may hold edits the player did not save.
bool WriteControlSettings(const Settings& settings);
