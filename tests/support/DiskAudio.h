#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "support/TempDir.h"

// Sound rendered through SDL's disk driver into a file, never a device,
// read back as stereo 16-bit frames. The game's data folder is the working
// folder for as long as it lives, as it is for the game.
class DiskAudio {
public:
    DiskAudio();
    ~DiskAudio();
    // The samples written so far, left and right interleaved.
    std::vector<std::int16_t> Samples() const;
    // The stereo frames written so far.
    std::size_t Frames() const;
    // Waits until the driver has written that many frames in all, which a
    // busy machine's sound thread does later than the clock says; false
    // when the time is up first.
    bool WaitForFrames(std::size_t frames, std::chrono::milliseconds limit) const;

private:
    TempDir dir;
    std::string file;
    std::string previousFolder;
};

struct ChannelLevels {
    double leftRms = 0.0;
    double rightRms = 0.0;
    int peak = 0;
};

// Levels of left and right interleaved samples.
ChannelLevels LevelsOf(const std::vector<std::int16_t>& samples);
