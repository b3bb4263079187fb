#pragma once

// What a held key means to the game. Codes 7 to 17 travel to the server in
// ControlMessages; the others never leave the player's machine.
enum GameKey : int {
    kKeyNone = 0,
    kKeyQuit = 1,       // F9
    kKeyOutlines = 2,   // F12
    kKeyNames = 3,      // F11
    kKeyChat = 5,       // apostrophe
    kKeyTurnLeft = 7,   // J
    kKeyTurnRight = 8,  // L
    kKeyThrust = 9,     // K
    kKeyShields = 10,   // D
    kKeyFire = 11,      // SPACE: bullets
    kKeyMissile = 12,   // V
    kKeyMine = 13,      // C
    kKeyPlasmaMine = 14, // E
    kKeyRepulsor = 15,  // R
    kKeyFuelUp = 16,    // F
    kKeyCloak = 17,     // S
    kKeyLeave = 18,     // ESC
    kKeyMute = 19,      // F8: sound off and on
};
