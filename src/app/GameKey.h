#pragma once

// What a held key means to the game. Codes 7 to 17 travel to the server.
enum GameKey : int {
    kKeyNone = 0,
    kKeyQuit = 1,          // F9
    kKeyOutlines = 2,      // F12
    kKeyNames = 3,         // F11
    kKeyChat = 5,          // apostrophe
    kKeyTurnLeft = 7,      // J
    kKeyTurnRight = 8,     // L
    kKeyThrust = 9,        // K
    kKeyFire = 10,         // D
    kKeyShield = 11,       // SPACE
    kKeyCloak = 12,        // V
    kKeyMissile = 13,      // C
    kKeyMine = 14,         // E
    kKeyPlasmaMine = 15,   // R
    kKeyRepulsor = 16,     // F
    kKeyRefuel = 17,       // S
    kKeyLeave = 18,        // ESC
};
