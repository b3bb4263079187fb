#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the operator chooses on the command line.
struct ServerOptions {
    std::uint16_t port = 3001;
    std::string name = "Quillrock Server";
    int maxPlayers = 16;
    std::vector<std::string> maps; // empty: every map in the data folder's Maps
    int scoreLimit = 10;
    double roundMinutes = 10.0;    // 0: no time limit
    int tickRate = 60;
    std::string dataDir;           // empty: found as the game finds it
    int bots = 0;                  // robots in the seats people leave free
    int botSkill = 2;              // 1 to 3
    double simulateMinutes = 0.0;  // above 0: robots alone, headless, on each map
    unsigned seed = 0;             // 0: a different game every time
    std::string recordDir;         // every round recorded into it; empty: none
};

enum class ParsedOptions { Run, Help, Error };

// Reads the command line into options; on an error, message says what is
// wrong with which option.
ParsedOptions ParseServerOptions(int argc, const char* const* argv, ServerOptions& options, std::string& message);

std::string ServerUsage();
