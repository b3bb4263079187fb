#pragma once

#include <array>
#include <memory>

#include "app/AppState.h"
#include "app/SoundQueue.h"
#include "base/Singleton.h"
#include "platform/Audio.h"

// The file of an event's sound, below the data folder.
const char* SoundFileOf(SoundEvent event);

// What the player hears: the game's sounds on the sound device, placed
// where they happen, at the player's volume, muted with F8. Without a
// device the game plays on in silence.
class SoundBoard : public Singleton<SoundBoard> {
public:
    static constexpr float kReach = 1000.0f;   // world units at which a sound has faded out
    static constexpr float kPanWidth = 600.0f; // offset heard fully to one side
    static constexpr int kSameSoundPerFrame = 2;
    static constexpr int kVolumeSteps = 10;

    // Opens the device and loads every sound unless not wanted; a device
    // that cannot be had is named once on the console.
    void Start(bool wanted);
    void Stop();
    bool IsOn() const { return audio != nullptr; }

    // 0 (silent) to kVolumeSteps.
    void SetVolume(int steps);
    int Volume() const { return volume; }
    void ToggleMute();
    bool IsMuted() const { return muted; }
    // Each press of the mute key toggles it.
    void ReadMuteKey(bool held);

    // A frame's sounds: the loudest few of each kind, loudest first while
    // there are voices. Nothing starts while muted.
    void Play(const SoundQueue& queue);
    // Starts or stops an event's loop, heard at the own ship.
    void SetLoop(SoundEvent event, bool on);
    void StopLoops();
    int BusyVoices() const { return audio ? audio->BusyVoices() : 0; }
    // Once a frame with the state and the selection of its list (-1
    // without one): a move along a list ticks, a step into a screen
    // selects, a step back to the title goes back.
    void HearMenus(AppState state, int selection);

    // How an event at an offset is heard: panned by its side, fading with
    // its distance, silent from kReach on.
    static platform::VoiceGains Place(float dx, float dy);

private:
    friend class Singleton<SoundBoard>;
    SoundBoard();
    void ApplyVolume();
    // A line on standard error and on the game's console.
    static void Say(const std::string& line);

    struct Candidate {
        SoundEvent event;
        platform::VoiceGains gains;
        int loudness;
    };

    std::unique_ptr<platform::Audio> audio;
    std::array<int, kSoundEvents> samples{};
    std::array<int, kSoundEvents> loopVoices{};
    std::array<Candidate, SoundQueue::kCapacity> candidates{};
    int volume = 7;
    bool muted = false;
    bool muteHeld = false;
    AppState heardState = AppState::Intro;
    int heardSelection = -1;
};
