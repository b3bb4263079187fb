#include "assets/Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr double kCommonRmsDb = -18.0;
constexpr double kCeilingDb = -3.0;   // headroom for voices that add up
constexpr float kRelease = 0.005f;    // s of fade at a layer's end, against clicks
constexpr float kLoopFade = 0.08f;    // s of a loop's tail laid over its head

// The same noise on every machine.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed ? seed : 1) {}
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }

private:
    std::uint32_t state;
};

// One pole: y += a (x - y), with a set for a cutoff.
class LowPass {
public:
    float Step(float x, float cutoff)
    {
        const float a = 1.0f - std::exp(-kTwoPi * cutoff / static_cast<float>(kSoundRate));
        y += a * (x - y);
        return y;
    }

private:
    float y = 0.0f;
};

float Shape(Wave wave, float phase)
{
    switch (wave) {
    case Wave::Sine: return std::sin(kTwoPi * phase);
    case Wave::Triangle: return 4.0f * std::fabs(phase - 0.5f) - 1.0f;
    case Wave::Square: return phase < 0.5f ? 1.0f : -1.0f;
    case Wave::Saw: return 2.0f * phase - 1.0f;
    case Wave::Noise: return 0.0f;
    }
    return 0.0f;
}

float Envelope(const Layer& layer, float t, bool loop)
{
    if (loop)
        return 1.0f;
    float level = t < layer.attack ? t / layer.attack : 1.0f;
    if (layer.decay > 0.0f && t > layer.attack)
        level *= std::exp(-(t - layer.attack) / layer.decay);
    const float left = layer.length - t;
    if (left < kRelease)
        level *= std::max(0.0f, left / kRelease);
    return level;
}

void AddLayer(const Layer& layer, bool loop, std::uint32_t seed, std::vector<float>& out)
{
    Noise noise(seed);
    LowPass first, second, tone, toneAgain;
    float phase = 0.0f;
    const int start = static_cast<int>(layer.at * kSoundRate);
    const int count = static_cast<int>(layer.length * kSoundRate);
    for (int i = 0; i < count && start + i < static_cast<int>(out.size()); ++i) {
        const float t = static_cast<float>(i) / kSoundRate;
        const float hz = layer.from * std::pow(layer.to / layer.from, t / layer.length) *
                         (1.0f + layer.vibratoDepth * std::sin(kTwoPi * layer.vibrato * t));
        float sample = 0.0f;
        if (layer.wave == Wave::Noise) {
            sample = second.Step(first.Step(noise.Next(), hz), hz);
        } else {
            sample = Shape(layer.wave, phase);
            phase += hz / kSoundRate;
            phase -= std::floor(phase);
        }
        // Two poles: the edges of square and saw waves soften without buzz.
        if (layer.lowpass > 0.0f)
            sample = toneAgain.Step(tone.Step(sample, layer.lowpass), layer.lowpass);
        if (layer.tremolo > 0.0f)
            sample *= 0.75f + 0.25f * std::cos(kTwoPi * layer.tremolo * t);
        out[static_cast<std::size_t>(start + i)] += layer.level * Envelope(layer, t, loop) * sample;
    }
}

void RemoveOffset(std::vector<float>& samples)
{
    float previousIn = 0.0f, previousOut = 0.0f;
    for (float& s : samples) {
        const float out = s - previousIn + 0.995f * previousOut;
        previousIn = s;
        previousOut = out;
        s = out;
    }
}

// Lays the extra tail over the head, so the end runs on into the start.
void CloseLoop(std::vector<float>& samples, std::size_t length)
{
    const std::size_t fade = samples.size() - length;
    for (std::size_t i = 0; i < fade; ++i) {
        const float share = static_cast<float>(i) / static_cast<float>(fade);
        samples[i] = samples[i] * share + samples[length + i] * (1.0f - share);
    }
    samples.resize(length);
}

void Normalize(std::vector<float>& samples, double loudness)
{
    const SoundLevels levels = MeasureLevels(samples);
    double gainDb = kCommonRmsDb + loudness - levels.rmsDb;
    gainDb = std::min(gainDb, kCeilingDb - levels.peakDb);
    const float gain = static_cast<float>(std::pow(10.0, gainDb / 20.0));
    for (float& s : samples)
        s *= gain;
}

} // namespace

std::vector<float> Synthesize(const SoundRecipe& recipe)
{
    const std::size_t length = static_cast<std::size_t>(recipe.seconds * kSoundRate);
    const std::size_t extra = recipe.loop ? static_cast<std::size_t>(kLoopFade * kSoundRate) : 0;
    std::vector<float> samples(length + extra, 0.0f);
    std::uint32_t seed = 1;
    for (char c : recipe.file)
        seed = seed * 31 + static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < recipe.layers.size(); ++i) {
        Layer layer = recipe.layers[i];
        if (recipe.loop)
            layer.length = recipe.seconds + kLoopFade;
        AddLayer(layer, recipe.loop, seed + static_cast<std::uint32_t>(i) * 7919u, samples);
    }
    RemoveOffset(samples);
    if (recipe.loop)
        CloseLoop(samples, length);
    Normalize(samples, recipe.loudness);
    return samples;
}

SoundLevels MeasureLevels(const std::vector<float>& samples)
{
    double peak = 1e-9, sum = 0.0;
    for (float s : samples) {
        peak = std::max(peak, static_cast<double>(std::fabs(s)));
        sum += static_cast<double>(s) * s;
    }
    const double rms = std::sqrt(sum / static_cast<double>(std::max<std::size_t>(samples.size(), 1))) + 1e-9;
    return {20.0 * std::log10(peak), 20.0 * std::log10(rms)};
}

std::vector<std::uint8_t> EncodeWav(const std::vector<float>& samples)
{
    std::vector<std::uint8_t> out;
    out.reserve(44 + samples.size() * 2);
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    const auto tag = [&out](const char* text) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(text[i]));
    };
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    tag("RIFF");
    put(36 + dataSize, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(kSoundRate, 4);
    put(kSoundRate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataSize, 4);
    for (float s : samples) {
        const long value = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        put(static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))), 2);
    }
    return out;
}
