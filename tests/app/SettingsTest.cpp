#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/Settings.h"
#include "platform/SettingsStore.h"
#include "platform/WholeFile.h"
#include "support/TempDir.h"

namespace {

using platform::SettingsStore;

auto ReadFile(const std::string& path)
{
    return platform::ReadWholeFile(path, SettingsStore::kMaxFileSize);
}

// What reads back as written is the file tests' and the settings file
// fuzz target's; here every damaged form is refused.
TEST(SettingsStoreFormat, RoundTripsAndRejectsEveryDamagedForm)
{
    const SettingsStore::Values sample = {{"PlayerName", {'A', 'd', 'a'}}, {"ShipType", {2, 0, 0, 0}}, {"Empty", {}}};
    const auto bytes = SettingsStore::Serialize(sample);
    ASSERT_TRUE(SettingsStore::Parse(bytes.data(), bytes.size()));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(SettingsStore::Parse(bytes.data(), cut)) << "truncated at " << cut;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto garbled = bytes;
        garbled[i] ^= 0x40;
        EXPECT_FALSE(SettingsStore::Parse(garbled.data(), garbled.size())) << "byte " << i << " flipped";
    }
    auto longer = bytes;
    longer.push_back(0);
    std::vector<std::uint8_t> oversized(SettingsStore::kMaxFileSize + 1, 0);
    for (const auto* bad : {&longer, &oversized})
        EXPECT_FALSE(SettingsStore::Parse(bad->data(), bad->size())) << bad->size() << " bytes";
    EXPECT_FALSE(SettingsStore::Parse(nullptr, 100));
}

// A second writer keeps the values it does not set; a write that cannot
// finish leaves the earlier file whole; no readable file is no key.
TEST(SettingsStoreFile, WritesUnderTheConfigHomeWholeOrNotAtAll)
{
    ScopedConfigHome home;
    EXPECT_EQ(SettingsStore::FilePath(), home.Path() + "/quillrock/settings.reg");
    SettingsStore store;
    EXPECT_FALSE(store.OpenForRead());
    ASSERT_TRUE(store.OpenForWrite());
    store.Set("Other", "xy", 2);
    store.Set("ShipType", "\1\0\0\0", 4);
    ASSERT_TRUE(store.Commit());
    SettingsStore second;
    ASSERT_TRUE(second.OpenForWrite());
    second.Set("ShipType", "\3\0\0\0", 4);
    ASSERT_TRUE(second.Commit());

    SettingsStore reader;
    ASSERT_TRUE(reader.OpenForRead());
    ASSERT_NE(reader.Query("Other"), nullptr);
    EXPECT_EQ(*reader.Query("Other"), (SettingsStore::Value{'x', 'y'}));
    EXPECT_EQ(reader.Query("ShipType")->at(0), 3);
    EXPECT_EQ(reader.Query("Missing"), nullptr);

    const auto before = ReadFile(SettingsStore::FilePath());
    // The temporary file's name taken by a folder: the write cannot start.
    std::filesystem::create_directory(SettingsStore::FilePath() + ".tmp");
    second.Set("ShipType", "\5\0\0\0", 4);
    EXPECT_FALSE(second.Commit());
    EXPECT_EQ(ReadFile(SettingsStore::FilePath()), before);

    ScopedConfigHome folderInPlace;
    std::filesystem::create_directories(SettingsStore::FilePath());
    EXPECT_FALSE(store.OpenForRead()) << "a folder in the file's place";
    ScopedConfigHome blocked;
    std::ofstream(blocked.Path() + "/quillrock") << "a file where the folder belongs";
    EXPECT_FALSE(store.OpenForWrite());
    EXPECT_FALSE(store.OpenForRead());
}

// Name, ship type, width, height, depth and frequency.
auto Values(const Settings& s)
{
    return std::tuple(std::string(s.PlayerName), s.ShipType, s.ResWidth, s.ResHeight, s.ResDepth, s.ResFreq);
}

Settings Made(const std::string& name, int shipType, int width, int height, int depth, int frequency)
{
    Settings s;
    s.SetPlayerName(name.c_str());
    s.ShipType = shipType;
    s.ResWidth = width;
    s.ResHeight = height;
    s.ResDepth = depth;
    s.ResFreq = frequency;
    return s;
}

// All six values travel as raw bytes; a value of the wrong size is then
// skipped, and a damaged file is no values at all: what was there stays.
// That whole saves read back is the kill test's, round after round.
TEST(Settings, ValuesTravelAsRawBytesAndWrongSizesOrADamagedFileAreNotTaken)
{
    ScopedConfigHome home;
    ASSERT_TRUE(WriteSettings(Made("Vera", 5, 0x01020304, 1024, 16, 75)));
    SettingsStore store;
    ASSERT_TRUE(store.OpenForRead());
    EXPECT_EQ(*store.Query("PlayerName"), (SettingsStore::Value{'V', 'e', 'r', 'a'})) << "no terminator";
    EXPECT_EQ(*store.Query("ResWidth"), (SettingsStore::Value{4, 3, 2, 1}));
    ASSERT_TRUE(store.OpenForWrite());
    for (const auto& [name, value] : SettingsStore::Values{{"PlayerName", SettingsStore::Value(128, 'x')},
                                                           {"ShipType", {1, 0}},
                                                           {"ResWidth", {0, 5, 0, 0, 0}},
                                                           {"ResFreq", {85, 0, 0, 0}}})
        store.Set(name, value.data(), value.size());
    ASSERT_TRUE(store.Commit());
    Settings s = Made("previous", 2, 640, 480, 32, 60);
    LoadSettings(s);
    EXPECT_EQ(Values(s), Values(Made("", 2, 640, 1024, 16, 85))) << "the name is cleared before it is read";

    {
        std::fstream file(SettingsStore::FilePath(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(20);
        file.put('\x7f');
    }
    Settings damaged;
    LoadSettings(damaged);
    EXPECT_EQ(Values(damaged), Values(Settings()));
}

// The masters and favourites are kept as lines; the key bindings' own
// write keeps them too, so a favourite marked mid-run is never lost.
TEST(Settings, MastersAndFavouritesKeepTheirOrderAndSkipEmptyLines)
{
    ScopedConfigHome home;
    Settings written;
    written.Masters = {"http://b.example:8300", "http://a.example:8300"};
    written.Favourites = {"10.0.0.2:3001"};
    ASSERT_TRUE(WriteSettings(written));
    written.Favourites.push_back("10.0.0.1:3005");
    ASSERT_TRUE(WriteControlSettings(written));
    Settings read;
    read.Masters = {"stale"};
    LoadSettings(read);
    EXPECT_EQ(read.Masters, written.Masters);
    EXPECT_EQ(read.Favourites, written.Favourites);

    SettingsStore store;
    ASSERT_TRUE(store.OpenForWrite());
    store.Set("Favourites", "\n10.0.0.3:3001\n\n10.0.0.4:3001", 29);
    ASSERT_TRUE(store.Commit());
    LoadSettings(read);
    EXPECT_EQ(read.Favourites, (std::vector<std::string>{"10.0.0.3:3001", "10.0.0.4:3001"}));
}

// A player's program killed at any moment while it saves, over and over:
// the file it leaves is always one whole save, the last or the one under
// way, and a later start reads exactly that.
TEST(SettingsStoreKill, AKillDuringASaveLeavesOneWholeSaveNeverHalf)
{
    ScopedConfigHome home;
    const Settings first = Made("Ann", 1, 800, 600, 16, 75);
    // Longer in every way, so that a mix of the two cannot pass for either.
    const Settings second = Made(std::string(127, 'w'), 5, 1920, 1080, 32, 144);
    std::mt19937 random(1206);
    std::uniform_int_distribution<int> waitMicros(0, 15000);
    const std::string path = SettingsStore::FilePath();
    bool everWhole = false;
    int midSave = 0;
    for (int round = 0; round < 150; ++round) {
        // A leftover from the last round would count as this round's.
        ::unlink((path + ".tmp").c_str());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (std::uint32_t i = 0;; ++i)
                WriteSettings(i % 2 ? second : first);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(waitMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;
        midSave += ::access((path + ".tmp").c_str(), F_OK) == 0;

        const auto bytes = ReadFile(path);
        Settings read;
        LoadSettings(read);
        if (!bytes) {
            EXPECT_FALSE(everWhole) << "round " << round << ": a whole file went missing";
            EXPECT_EQ(Values(read), Values(Settings{})) << "round " << round;
            continue;
        }
        EXPECT_TRUE(SettingsStore::Parse(bytes->data(), bytes->size()))
            << "round " << round << ": a damaged file of " << bytes->size() << " bytes";
        EXPECT_TRUE(Values(read) == Values(first) || Values(read) == Values(second)) << "round " << round << ": neither save";
        everWhole = true;
    }
    EXPECT_TRUE(everWhole) << "some save finished before a kill";
    EXPECT_GT(midSave, 0) << "some kills landed in the middle of a save";
}

} // namespace
