#pragma once

#include <string>

// The frame shown while the server's map downloads: its name, a bar and
// the share done; ESC leaves as from the game.
void DrawDownloadFrame(const std::string& mapName, double done);
