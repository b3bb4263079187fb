#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demo/DemoWriter.h"

class ServerLog;

// Every round a person plays in, as a watcher without a ship is sent it,
// into a demo file of its own in the operator's folder: the demos the
// player's program plays. A round's payloads are kept from its start and
// its file is made once a person is in it, so rounds of robots alone or
// of nobody leave none; the file ends when the next round begins. Nothing
// is ever deleted but a round's own file that could take nothing: the
// folder is the operator's to keep tidy. A file is only ever made new,
// never through a link; every write that fails is logged with its name.
class RoundRecorder {
public:
    struct Round {
        std::uint32_t number = 0; // rounds begun since the start
        std::string mapName;
        std::uint64_t now = 0;    // the game's clock, in ms
        bool peoplePlaying = false;
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
    // begins a new round.
    void Close();
    // The file being written, empty while none is.
    const std::string& Path() const { return path; }

private:
    void Open(const Round& round);

    std::string folder;
    std::string dataDir;
    std::string serverName;
    ServerLog& log;
    std::unique_ptr<DemoWriter> writer; // the round's, until it cannot be written
    std::string path;
    std::uint32_t round = 0; // the round being recorded, 0 before the first
};
