#include "platform/Audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

namespace platform {

namespace {

constexpr int kRate = 22050; // the rate the sounds are made at
constexpr int kBufferFrames = 512; // about 23 ms: short enough to feel at once

} // namespace

void Audio::ChunkFree::operator()(Mix_Chunk* chunk) const
{
    Mix_FreeChunk(chunk);
}

std::unique_ptr<Audio> Audio::Open(std::string& why)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return nullptr;
    }
    if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, kBufferFrames) != 0) {
        why = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    Mix_AllocateChannels(kVoices);
    return std::unique_ptr<Audio>(new Audio());
}

Audio::~Audio()
{
    Mix_HaltChannel(-1);
    samples.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int Audio::Load(const char* path, std::string& why)
{
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (!file) {
        why = SDL_GetError();
        return -1;
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 1);
    if (!chunk) {
        why = Mix_GetError();
        return -1;
    }
    samples.emplace_back(chunk);
    return static_cast<int>(samples.size()) - 1;
}

int Audio::PickVoice(int loud) const
{
    int softest = -1;
    for (int voice = 0; voice < kVoices; ++voice) {
        if (!Mix_Playing(voice))
            return voice;
        if (!looping[voice] && loudness[voice] < loud && (softest < 0 || loudness[voice] < loudness[softest]))
            softest = voice;
    }
    return softest;
}

int Audio::Play(int sample, VoiceGains gains, bool loop)
{
    if (sample < 0 || sample >= static_cast<int>(samples.size()))
        return -1;
    const int loud = std::max(gains.left, gains.right);
    const int voice = PickVoice(loud);
    if (voice < 0)
        return -1;
    // Halting drops the voice's old panning, so the new one is set after
    // it and before the samples start.
    Mix_HaltChannel(voice);
    Mix_SetPanning(voice, gains.left, gains.right);
    if (Mix_PlayChannel(voice, samples[static_cast<std::size_t>(sample)].get(), loop ? -1 : 0) < 0)
        return -1;
    loudness[static_cast<std::size_t>(voice)] = loud;
    looping[static_cast<std::size_t>(voice)] = loop;
    return voice;
}

void Audio::Stop(int voice)
{
    if (voice < 0 || voice >= kVoices)
        return;
    Mix_HaltChannel(voice);
    looping[static_cast<std::size_t>(voice)] = false;
}

void Audio::SetMasterVolume(int volume)
{
    Mix_MasterVolume(std::clamp(volume, 0, kFullVolume));
}

int Audio::BusyVoices() const
{
    return Mix_Playing(-1);
}

} // namespace platform
