#include "app/AppState.h"

AppState g_appState = AppState::Intro;
bool g_quitRequested = false;
int g_screenWidth = 0;
int g_screenHeight = 0;
char g_serverName[kTextBufferSize] = {};
bool g_joinAsWatcher = false;
bool g_chatKeyPending = false;
bool g_chatCharWentBy = false;
bool g_predictOwnShip = true;
std::vector<std::uint8_t>* g_playbackKeys = nullptr;
