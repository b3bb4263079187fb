#pragma once

namespace platform {

struct DisplayModeInfo {
    int width = 0;
    int height = 0;
    int bits = 0;
    int refresh = 0; // Hz
};

// Starts SDL's video once; false when there is no display to use.
bool VideoInit();

// Chooses the full-screen mode of the game window (applied at once when the
// window exists). False, with nothing changed, when the display has no
// such mode.
bool ChangeDisplayMode(int width, int height, int bits, int refresh);
// Gives the display back its own mode.
bool RestoreDisplayMode();
// Mode number index of the primary display; false past the last.
bool EnumDisplayMode(int index, DisplayModeInfo& out);

// The mode chosen for the window, if any.
bool ChosenDisplayMode(DisplayModeInfo& out);

} // namespace platform

namespace platform {
// Ends SDL's video at program exit.
void VideoShutdown();
} // namespace platform
