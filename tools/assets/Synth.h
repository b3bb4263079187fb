#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The game's sounds are made here from short descriptions: each is a few
// layers of tone or noise, swept in pitch, shaped by an envelope and a
// low-pass, mixed and brought to a common loudness.

constexpr int kSoundRate = 22050; // samples a second, mono

enum class Wave { Sine, Triangle, Square, Saw, Noise };

struct Layer {
    Wave wave = Wave::Sine;
    float from = 440.0f;    // Hz at the start; for noise, its low-pass cutoff
    float to = 440.0f;      // Hz at the end, swept exponentially
    float at = 0.0f;        // s into the sound
    float length = 0.1f;    // s
    float attack = 0.002f;  // s to full level
    float decay = 0.0f;     // s time constant of the fall after the attack; 0 holds
    float level = 1.0f;
    float lowpass = 0.0f;   // Hz of a gentle filter after the wave; 0 for none
    float tremolo = 0.0f;   // Hz of a loudness wobble, half deep
    float vibrato = 0.0f;   // Hz of a pitch wobble
    float vibratoDepth = 0.0f; // share of the pitch it wobbles by
};

struct SoundRecipe {
    std::string file; // below data/Sounds
    float seconds = 0.2f;
    // A loop is made to repeat without a seam: it starts and ends at full
    // level and its tail is faded into its head.
    bool loop = false;
    float loudness = 0.0f; // dB above the common level, for big or small sounds
    std::vector<Layer> layers;
};

struct SoundLevels {
    double peakDb = 0.0; // dB of full scale
    double rmsDb = 0.0;
};

// Samples in [-1, 1], brought to the recipe's loudness.
std::vector<float> Synthesize(const SoundRecipe& recipe);

SoundLevels MeasureLevels(const std::vector<float>& samples);

// A 16-bit mono PCM WAVE file.
std::vector<std::uint8_t> EncodeWav(const std::vector<float>& samples);
