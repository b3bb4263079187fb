#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demo/DemoWriter.h"

class ServerLog;

// Every round the server plays, as a watcher without a ship is sent it,
// into a demo file of its own in the operator's folder: the demos the
// player's program plays. A round's file ends when the next round begins.
// Nothing is ever deleted: the folder is the operator's to keep tidy.
class RoundRecorder {
public:
    struct Round {
        std::uint32_t number = 0; // rounds begun since the start
        std::string mapName;
        std::uint64_t now = 0;    // the game's clock, in ms
    };

    RoundRecorder(std::string folder, std::string dataDir, std::string serverName, ServerLog& log);
    ~RoundRecorder();
    RoundRecorder(const RoundRecorder&) = delete;
    RoundRecorder& operator=(const RoundRecorder&) = delete;

    // Makes the folder; false with the reason when it cannot be written.
    bool Prepare(std::string& error);
    // A payload the watcher is sent during the round.
    void Take(const Round& round, const std::vector<std::uint8_t>& payload);
    // Writes what is gathered and closes the round's file; the next payload
    // begins a new one.
    void Close();
    const std::string& Path() const { return path; }

private:
    void Open(const Round& round);

    std::string folder;
    std::string dataDir;
    std::string serverName;
    ServerLog& log;
    std::unique_ptr<DemoWriter> writer; // the round's, while its file is open
    std::string path;
    std::uint32_t round = 0; // the round being recorded, 0 before the first
};
