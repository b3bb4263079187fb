#pragma once

#include <cstdint>

// Set-1 scan codes of the keys the views without a ship answer (a demo's
// playback, a watcher's game), as the keyboard state holds them.
enum ScanCode : std::uint8_t {
    kScanEscape = 0x01,
    kScanMinus = 0x0C,
    kScanEquals = 0x0D,
    kScanTab = 0x0F,
    kScanLeftShift = 0x2A,
    kScanRightShift = 0x36,
    kScanSpace = 0x39,
    kScanF8 = 0x42,
    kScanF9 = 0x43,
    kScanPadMinus = 0x4A,
    kScanPadPlus = 0x4E,
    kScanHome = 0xC7,
    kScanUp = 0xC8,
    kScanLeft = 0xCB,
    kScanRight = 0xCD,
    kScanDown = 0xD0,
};
