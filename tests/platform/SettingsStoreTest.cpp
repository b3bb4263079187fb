#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/Settings.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"

namespace {

bool Same(const Settings& a, const Settings& b)
{
    return std::strcmp(a.PlayerName, b.PlayerName) == 0 && a.ShipType == b.ShipType && a.ResWidth == b.ResWidth &&
           a.ResHeight == b.ResHeight && a.ResDepth == b.ResDepth && a.ResFreq == b.ResFreq;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A player's program killed at any moment while it saves, over and over:
// the file it leaves is always one whole save, the last or the one under
// way, and a later start reads exactly that.
TEST(SettingsStoreKill, AKillDuringASaveLeavesOneWholeSaveNeverHalf)
{
    ScopedConfigHome home;
    Settings first;
    first.SetPlayerName("Ann");
    first.ShipType = 1;
    first.ResWidth = 800;
    first.ResHeight = 600;
    first.ResDepth = 16;
    first.ResFreq = 75;
    // Longer in every way, so that a mix of the two cannot pass for either.
    Settings second;
    second.SetPlayerName(std::string(127, 'w').c_str());
    second.ShipType = 5;
    second.ResWidth = 1920;
    second.ResHeight = 1080;
    second.ResDepth = 32;
    second.ResFreq = 144;

    // Saves finished by the child, where the parent can read them.
    void* shared = ::mmap(nullptr, sizeof(std::atomic<std::uint32_t>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    auto* saves = new (shared) std::atomic<std::uint32_t>(0);

    constexpr int kRounds = 150;
    constexpr std::uint32_t kSeed = 1206;
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> waitMicros(0, 15000);
    const std::string path = platform::SettingsStore::FilePath();
    bool everWhole = false;
    int midSave = 0;
    std::uint32_t totalSaves = 0;

    for (int round = 0; round < kRounds; ++round) {
        saves->store(0);
        // A leftover from the last round would count as this round's.
        ::unlink((path + ".tmp").c_str());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (std::uint32_t i = 0;; ++i) {
                if (WriteSettings(i % 2 ? second : first))
                    saves->fetch_add(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(waitMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;
        totalSaves += saves->load();
        midSave += ::access((path + ".tmp").c_str(), F_OK) == 0;

        const auto bytes = ReadBytes(path);
        Settings read;
        LoadSettings(read);
        if (bytes.empty()) {
            EXPECT_FALSE(everWhole) << "round " << round << ": a whole file went missing";
            EXPECT_TRUE(Same(read, Settings{})) << "round " << round;
            continue;
        }
        EXPECT_TRUE(platform::SettingsStore::Parse(bytes.data(), bytes.size()))
            << "round " << round << ": a damaged file of " << bytes.size() << " bytes";
        EXPECT_TRUE(Same(read, first) || Same(read, second)) << "round " << round << ": neither save";
        everWhole = true;
    }
    ::munmap(shared, sizeof(std::atomic<std::uint32_t>));
    std::printf("settings: %d kill rounds, %u saves finished, %d kills left a save half-written beside the file\n",
                kRounds, totalSaves, midSave);
    EXPECT_TRUE(everWhole) << "some save finished before a kill";
    EXPECT_GT(midSave, 0) << "some kills landed in the middle of a save";
}

} // namespace
