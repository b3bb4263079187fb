#include "support/DiskAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

DiskAudio::DiskAudio() : file(dir.Path() + "/audio.raw"), previousFolder(std::filesystem::current_path().string())
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    std::filesystem::current_path(QR_DATA_DIR);
}

DiskAudio::~DiskAudio()
{
    std::filesystem::current_path(previousFolder);
}

std::vector<std::int16_t> DiskAudio::Samples() const
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

std::size_t DiskAudio::Frames() const
{
    std::error_code unwritten;
    const auto bytes = std::filesystem::file_size(file, unwritten);
    return unwritten ? 0 : static_cast<std::size_t>(bytes / 4);
}

bool DiskAudio::WaitForFrames(std::size_t frames, std::chrono::milliseconds limit) const
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Frames() < frames) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

ChannelLevels LevelsOf(const std::vector<std::int16_t>& samples)
{
    ChannelLevels levels;
    double left = 0.0, right = 0.0;
    std::size_t frames = 0;
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2, ++frames) {
        left += static_cast<double>(samples[i]) * samples[i];
        right += static_cast<double>(samples[i + 1]) * samples[i + 1];
        levels.peak = std::max({levels.peak, std::abs(static_cast<int>(samples[i])), std::abs(static_cast<int>(samples[i + 1]))});
    }
    if (frames) {
        levels.leftRms = std::sqrt(left / static_cast<double>(frames));
        levels.rightRms = std::sqrt(right / static_cast<double>(frames));
    }
    return levels;
}
