#pragma once

#include <cstdint>
#include <vector>

#include "base/TextCopy.h"

// Which loop the dispatcher runs. Any value without a name here (1, 5,
// above 12) ends the program.
enum class AppState : std::int32_t {
    Intro = 0,
    BrowseLan = 2,
    BrowseAddress = 3,
    EnterAddress = 4,
    Instructions = 6,
    MainMenu = 7,
    Options = 8,
    Credits = 9,
    InGame = 10,
    Controls = 11,
    BrowseInternet = 12,
};

extern AppState g_appState;
extern bool g_quitRequested;
extern int g_screenWidth;
extern int g_screenHeight;
// The server chosen in the browser, read by the game session.
extern char g_serverName[kTextBufferSize];
// Whether the game chosen in the browser is watched without a ship.
extern bool g_joinAsWatcher;
// The apostrophe that opened a chat line arrives as a typed character too;
// it is not part of the line. It usually goes by while the keys still fly
// the ship, before the frame that sees the key: then it is not waited for.
extern bool g_chatKeyPending;
extern bool g_chatCharWentBy;
// Whether the own ship turns ahead of the server's reports (/predict).
extern bool g_predictOwnShip;
// While a demo plays, the set-1 scan codes of the keys pressed since its
// loop last took them; null otherwise.
extern std::vector<std::uint8_t>* g_playbackKeys;
