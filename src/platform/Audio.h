#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace platform {

// How loud a voice is in each ear, 0 (silent) to 255 (full).
struct VoiceGains {
    std::uint8_t left = 255;
    std::uint8_t right = 255;
};

// The sound device and a fixed set of voices. The audio library mixes on
// its own thread; these calls only hand it samples and gains.
class Audio {
public:
    static constexpr int kVoices = 24;
    static constexpr int kFullVolume = 128;

    // Opens the default device; null, saying why, when there is none or it
    // cannot be had.
    static std::unique_ptr<Audio> Open(std::string& why);
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Loads a WAVE file; its sample number, or -1 saying why.
    int Load(const char* path, std::string& why);
    // Starts a sample on a free voice, else on the softest voice playing
    // once that is softer than it; looping voices are never taken. The
    // voice, or -1 when every voice is as loud or holds a loop.
    int Play(int sample, VoiceGains gains, bool looping);
    void Stop(int voice);
    // 0 to kFullVolume over every voice.
    void SetMasterVolume(int volume);
    int BusyVoices() const;

private:
    Audio() = default;
    int PickVoice(int loudness) const;

    struct ChunkFree {
        void operator()(Mix_Chunk* chunk) const;
    };
    std::vector<std::unique_ptr<Mix_Chunk, ChunkFree>> samples;
    std::array<int, kVoices> loudness{};
    std::array<bool, kVoices> looping{};
};

} // namespace platform
