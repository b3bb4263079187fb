#include "app/SoundBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/Console.h"

namespace {

constexpr const char* kFiles[kSoundEvents] = {
    "Shot.wav",          "ShotOther.wav",     "TripleShot.wav", "MissileLaunch.wav", "MineDrop.wav",
    "PlasmaMineDrop.wav", "PlasmaBurst.wav",  "Blast.wav",      "ShipExplode.wav",   "OwnShipExplode.wav",
    "ShieldHit.wav",     "ShieldRebound.wav", "Powerup.wav",    "Refuel.wav",        "Thrust.wav",
    "CloakOn.wav",       "CloakOff.wav",      "Repulsor.wav",   "TurretShot.wav",    "TurretWrecked.wav",
    "Respawn.wav",       "Chat.wav",          "RoundOver.wav",  "FlagTaken.wav",     "FlagReturned.wav",
    "FlagCaptured.wav",  "MenuMove.wav",      "MenuSelect.wav", "MenuBack.wav"};

// The far ear keeps some of a sound, as a real one would.
constexpr float kFarEar = 0.3f;

std::uint8_t ToGain(float share)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(share, 0.0f, 1.0f) * 255.0f));
}

} // namespace

const char* SoundFileOf(SoundEvent event)
{
    const auto index = static_cast<std::size_t>(event);
    return index < kSoundEvents ? kFiles[index] : "";
}

SoundBoard::SoundBoard()
{
    samples.fill(-1);
    loopVoices.fill(-1);
}

void SoundBoard::Say(const std::string& line)
{
    // On the terminal for whoever started the game there, and on the
    // console for the player who started it from the desktop.
    std::fprintf(stderr, "quillrock: %s\n", line.c_str());
    Console::Instance()->Print("%s", line.c_str());
}

void SoundBoard::Start(bool wanted)
{
    Stop();
    if (!wanted)
        return;
    std::string why;
    audio = platform::Audio::Open(why);
    if (!audio) {
        Say("playing without sound: " + (why.empty() ? std::string("no audio device") : why));
        return;
    }
    // A damaged installation is named once, by its first missing sound.
    std::string firstMissing;
    int missing = 0;
    for (std::size_t i = 0; i < kSoundEvents; ++i) {
        const std::string path = std::string("Sounds/") + kFiles[i];
        samples[i] = audio->Load(path.c_str(), why);
        if (samples[i] < 0 && missing++ == 0)
            firstMissing = path + ": " + why;
    }
    if (missing)
        Say(std::to_string(missing) + " of the game's sounds will not play (" + firstMissing + ")");
    ApplyVolume();
}

void SoundBoard::Stop()
{
    audio.reset();
    samples.fill(-1);
    loopVoices.fill(-1);
}

void SoundBoard::SetVolume(int steps)
{
    volume = std::clamp(steps, 0, kVolumeSteps);
    ApplyVolume();
}

void SoundBoard::ToggleMute()
{
    muted = !muted;
    ApplyVolume();
}

void SoundBoard::ReadMuteKey(bool held)
{
    if (held && !muteHeld)
        ToggleMute();
    muteHeld = held;
}

void SoundBoard::ApplyVolume()
{
    if (audio)
        audio->SetMasterVolume(muted ? 0 : volume * platform::Audio::kFullVolume / kVolumeSteps);
}

platform::VoiceGains SoundBoard::Place(float dx, float dy)
{
    const float distance = std::sqrt(dx * dx + dy * dy);
    if (distance >= kReach)
        return {0, 0};
    const float fade = (1.0f - distance / kReach) * (1.0f - distance / kReach);
    const float side = std::clamp(dx / kPanWidth, -1.0f, 1.0f);
    const float left = side > 0.0f ? 1.0f - (1.0f - kFarEar) * side : 1.0f;
    const float right = side < 0.0f ? 1.0f + (1.0f - kFarEar) * side : 1.0f;
    return {ToGain(fade * left), ToGain(fade * right)};
}

void SoundBoard::Play(const SoundQueue& queue)
{
    if (!audio || muted || volume == 0)
        return;
    std::size_t count = 0;
    for (const SoundQueue::Entry& entry : queue) {
        const platform::VoiceGains gains = Place(entry.dx, entry.dy);
        const int loudness = std::max(gains.left, gains.right);
        if (loudness > 0)
            candidates[count++] = {entry.event, gains, loudness};
    }
    // Loudest first; many of one kind at once add nothing but clipping.
    std::sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(count),
              [](const Candidate& a, const Candidate& b) { return a.loudness > b.loudness; });
    std::array<int, kSoundEvents> started{};
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::size_t>(candidates[i].event);
        if (index >= kSoundEvents || started[index] >= kSameSoundPerFrame)
            continue;
        if (samples[index] < 0)
            continue; // its file is missing
        if (audio->Play(samples[index], candidates[i].gains, false) < 0)
            break; // every voice is louder than what is left
        ++started[index];
    }
}

void SoundBoard::HearMenus(AppState state, int selection)
{
    SoundQueue queue;
    if (state != heardState && heardState != AppState::Intro)
        queue.Add(state == AppState::MainMenu ? SoundEvent::MenuBack : SoundEvent::MenuSelect);
    else if (state == heardState && selection != heardSelection && selection >= 0 && heardSelection >= 0)
        queue.Add(SoundEvent::MenuMove);
    heardState = state;
    heardSelection = selection;
    Play(queue);
}

void SoundBoard::SetLoop(SoundEvent event, bool on)
{
    const auto index = static_cast<std::size_t>(event);
    if (!audio || index >= kSoundEvents || (loopVoices[index] >= 0) == on)
        return;
    if (on) {
        loopVoices[index] = audio->Play(samples[index], {}, true);
    } else {
        audio->Stop(loopVoices[index]);
        loopVoices[index] = -1;
    }
}

void SoundBoard::StopLoops()
{
    for (std::size_t i = 0; i < kSoundEvents; ++i)
        SetLoop(static_cast<SoundEvent>(i), false);
}
