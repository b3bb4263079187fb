#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/game/GameOptions.h"

// What the operator chooses, on the command line or in a config file.
// The game's own are its GameOptions.
struct ServerOptions : GameOptions {
    std::uint16_t port = 3001;
    int spectatorSlots = 8;        // people who watch without a ship
    std::string name = "Quillrock Server";
    int tickRate = 60;
    std::string dataDir;           // empty: found as the game finds it
    double simulateMinutes = 0.0;  // above 0: robots alone, headless, on each map
    std::string recordDir;         // every round recorded into it; empty: none
    std::string adminPasswordFile; // empty: nobody logs in as an admin
    bool trustLocal = true;        // players on this machine are admins without a login
    std::string banFile;           // empty: bans last until the server stops
    std::string metrics;           // "ADDRESS:PORT" of the metrics page; empty: none
    bool agones = false;           // tells an Agones SDK sidecar how the game goes
    std::vector<std::string> masters; // URLs of the internet list's masters to register with
};

enum class ParsedOptions { Run, Help, Error, BadConfig };

// Reads the command line into options, after the file that --config names;
// options on the command line win over the file's. On an error, message
// says what is wrong with which option, or on which line of the file.
ParsedOptions ParseServerOptions(int argc, const char* const* argv, ServerOptions& options, std::string& message);

// The lines of a config file: "key = value", keys as the options' long
// names, "#" beginning a comment. False, with a message naming the file
// and the line, at the first line that is wrong.
bool ReadConfigText(const std::string& text, const std::string& fileName, ServerOptions& options,
                    std::string& message);

std::string ServerUsage();
