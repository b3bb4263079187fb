#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "app/Settings.h"
#include "app/SoundBoard.h"
#include "platform/Audio.h"
#include "platform/WholeFile.h"
#include "support/DiskAudio.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;

// Starts the board on the disk driver, plays what `act` queues, lets the
// driver write that much sound (22050 frames a second) and stops,
// returning what was written.
template <typename Act>
std::vector<std::int16_t> Render(Act act, std::chrono::milliseconds length = 300ms)
{
    DiskAudio disk;
    SoundBoard* board = SoundBoard::Instance();
    board->SetVolume(7);
    board->Start(true);
    EXPECT_TRUE(board->IsOn());
    const std::size_t from = disk.Frames();
    act(*board);
    EXPECT_TRUE(disk.WaitForFrames(from + static_cast<std::size_t>(22050 * length.count() / 1000), 3 * length + 3s));
    board->Stop();
    if (board->IsMuted())
        board->ToggleMute();
    return disk.Samples();
}

void PlayOne(SoundBoard& board, SoundEvent event, float dx)
{
    SoundQueue queue;
    queue.Add(event, dx, 0.0f);
    board.Play(queue);
}

// The own ship's sounds are centred, another's louder in the ear on its
// side, though the far ear still hears some.
TEST(SoundBoard, WhatPlaysIsHeardFromWhereItIs)
{
    const struct {
        SoundEvent event;
        float dx;
        double leastRatio, mostRatio;
    } heard[] = {{SoundEvent::Shot, 0.0f, 0.95, 1.05}, {SoundEvent::Blast, -400.0f, 1.5, 100.0}, {SoundEvent::Blast, 400.0f, 0.0, 0.66}};
    for (const auto& h : heard) {
        const ChannelLevels levels = LevelsOf(Render([&](SoundBoard& board) { PlayOne(board, h.event, h.dx); }));
        EXPECT_GT(levels.leftRms + levels.rightRms, 200.0) << h.dx;
        const double ratio = levels.leftRms / levels.rightRms;
        EXPECT_TRUE(ratio >= h.leastRatio && ratio <= h.mostRatio) << h.dx << ": left/right " << ratio;
    }
}

// Idle, at volume zero or muted, sounds and loops alike write silence; the
// mute key toggles once a press, however long it is held.
TEST(SoundBoard, IdleVolumeZeroAndMuteAreSilent)
{
    const std::function<void(SoundBoard&)> silent[] = {
        [](SoundBoard&) {},
        [](SoundBoard& board) {
            board.SetVolume(0);
            PlayOne(board, SoundEvent::Blast, 0.0f);
            board.SetLoop(SoundEvent::Thrust, true);
        },
        [](SoundBoard& board) {
            board.ToggleMute();
            PlayOne(board, SoundEvent::Blast, 0.0f);
            board.SetLoop(SoundEvent::Refuel, true);
        },
    };
    for (const auto& act : silent)
        EXPECT_EQ(LevelsOf(Render(act)).peak, 0);
    SoundBoard* board = SoundBoard::Instance();
    const bool before = board->IsMuted();
    for (bool held : {true, true, false, true, false})
        board->ReadMuteKey(held);
    EXPECT_EQ(board->IsMuted(), before);
    board->ReadMuteKey(true);
    EXPECT_NE(board->IsMuted(), before);
    board->ReadMuteKey(false);
    board->ToggleMute();
}

// A sound's place fades it with distance, and far off it is silent.
TEST(SoundBoard, TheVolumeIsKeptWithTheSettingsAndStaysInItsRangeAndPlacingFadesWithDistance)
{
    ScopedConfigHome home;
    Settings chosen;
    chosen.Volume = 3;
    ASSERT_TRUE(WriteSettings(chosen));
    Settings read;
    LoadSettings(read);
    EXPECT_EQ(read.Volume, 3);

    SoundBoard* board = SoundBoard::Instance();
    for (const auto& [asked, kept] : {std::pair{42, SoundBoard::kVolumeSteps}, {-1, 0}}) {
        board->SetVolume(asked);
        EXPECT_EQ(board->Volume(), kept) << asked;
    }
    board->SetVolume(7);

    const platform::VoiceGains here = SoundBoard::Place(0.0f, 0.0f);
    EXPECT_EQ(std::tuple(here.left, here.right), std::tuple(255, 255));
    const platform::VoiceGains near = SoundBoard::Place(0.0f, 200.0f);
    const platform::VoiceGains far = SoundBoard::Place(0.0f, 700.0f);
    EXPECT_TRUE(near.left > far.left && far.left > 0);
    for (const auto& [dx, dy] : {std::pair{SoundBoard::kReach, 0.0f}, {-800.0f, -800.0f}}) {
        const platform::VoiceGains gone = SoundBoard::Place(dx, dy);
        EXPECT_EQ(gone.left + gone.right, 0) << dx << ", " << dy;
    }
}

TEST(SoundBoard, ADamagedInstallationIsNamedOnceAndPlaysWhatIsLeft)
{
    DiskAudio disk;
    TempDir data;
    const auto shot = platform::ReadWholeFile(std::string(QR_DATA_DIR) + "/Sounds/Shot.wav", 1 << 20).value();
    data.WriteFile("Sounds/Shot.wav", std::string(shot.begin(), shot.end()));
    std::filesystem::current_path(data.Path());
    testing::internal::CaptureStderr();
    SoundBoard* board = SoundBoard::Instance();
    board->Start(true);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string line = "quillrock: " + std::to_string(kSoundEvents - 1) +
                             " of the game's sounds will not play (Sounds/ShotOther.wav: Couldn't open";
    EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find("quillrock:"), said.rfind("quillrock:")) << said;
    PlayOne(*board, SoundEvent::Blast, 0.0f);
    PlayOne(*board, SoundEvent::Shot, 0.0f);
    EXPECT_EQ(board->BusyVoices(), 1);
    board->Stop();
}

// What handing a frame's sounds to the mixer costs is measured by the
// sound benchmarks.
TEST(SoundBoard, FortyMinesBurstingAtOnceTakeFewVoicesAndDoNotClip)
{
    int busy = 0;
    const auto samples = Render([&](SoundBoard& board) {
        SoundQueue queue;
        for (int i = 0; i < 40; ++i)
            queue.Add(SoundEvent::PlasmaBurst, static_cast<float>(i * 5 - 100), 0.0f);
        board.Play(queue);
        busy = board.BusyVoices();
    });
    EXPECT_LE(busy, SoundBoard::kSameSoundPerFrame);
    const ChannelLevels levels = LevelsOf(samples);
    EXPECT_GT(levels.leftRms, 100.0);
    EXPECT_LT(levels.peak, 32767);
}

// The mixer itself, on the disk driver.
class Audio : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(audio) << why; }
    DiskAudio disk;
    std::string why;
    std::unique_ptr<platform::Audio> audio = platform::Audio::Open(why);
};

TEST_F(Audio, TheLoudestWinWhenEveryVoiceIsBusy)
{
    const int sample = audio->Load("Sounds/OwnShipExplode.wav", why);
    ASSERT_GE(sample, 0) << why;
    for (int i = 0; i < platform::Audio::kVoices; ++i)
        ASSERT_GE(audio->Play(sample, {40, 40}, false), 0);
    EXPECT_LT(audio->Play(sample, {20, 20}, false), 0) << "a softer sound took a louder one's voice";
    EXPECT_GE(audio->Play(sample, {200, 10}, false), 0) << "a louder sound found no voice";
    EXPECT_EQ(audio->BusyVoices(), platform::Audio::kVoices);
}

// A 16-bit mono WAVE file's samples in [-1, 1]; empty when it is not one.
std::vector<double> ReadWave(const std::string& path)
{
    SDL_AudioSpec layout;
    Uint8* bytes = nullptr;
    Uint32 size = 0;
    std::vector<double> samples;
    if (!SDL_LoadWAV(path.c_str(), &layout, &bytes, &size))
        return samples;
    if (layout.format == AUDIO_S16LSB && layout.channels == 1 && layout.freq == 22050)
        for (Uint32 i = 0; i + 1 < size; i += 2)
            samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0);
    SDL_FreeWAV(bytes);
    return samples;
}

TEST_F(Audio, EverySoundFileLoadsAndStaysWithinTheLoudnessBand)
{
    for (std::size_t i = 0; i < kSoundEvents; ++i) {
        const std::string file = std::string(QR_DATA_DIR) + "/Sounds/" + SoundFileOf(static_cast<SoundEvent>(i));
        EXPECT_GE(audio->Load(file.c_str(), why), 0) << file << ": " << why;
        const std::vector<double> samples = ReadWave(file);
        ASSERT_FALSE(samples.empty()) << file;
        double peak = 0.0, sum = 0.0;
        for (double s : samples) {
            peak = std::max(peak, std::fabs(s));
            sum += s * s;
        }
        const double peakDb = 20.0 * std::log10(peak);
        const double rmsDb = 10.0 * std::log10(sum / static_cast<double>(samples.size()));
        EXPECT_TRUE(peakDb >= -18.0 && peakDb <= -1.0) << file << ": peak " << peakDb << " dB";
        EXPECT_TRUE(rmsDb >= -26.0 && rmsDb <= -14.0) << file << ": loudness " << rmsDb << " dB";
        EXPECT_LT(samples.size(), 22050u * 3) << file << " is long for a game sound";
    }
}

} // namespace
