#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/SettingsStore.h"
#include "support/TempDir.h"

namespace {

using platform::SettingsStore;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SettingsStore::Values Sample()
{
    return {{"PlayerName", {'A', 'd', 'a'}}, {"ShipType", {2, 0, 0, 0}}, {"Empty", {}}};
}

TEST(SettingsStoreFormat, RoundTripsAndRejectsEveryDamagedForm)
{
    const auto bytes = SettingsStore::Serialize(Sample());
    const auto parsed = SettingsStore::Parse(bytes.data(), bytes.size());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, Sample());

    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(SettingsStore::Parse(bytes.data(), cut)) << "truncated at " << cut;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto garbled = bytes;
        garbled[i] ^= 0x40;
        EXPECT_FALSE(SettingsStore::Parse(garbled.data(), garbled.size())) << "byte " << i << " flipped";
    }
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(SettingsStore::Parse(longer.data(), longer.size()));
    std::vector<std::uint8_t> oversized(SettingsStore::kMaxFileSize + 1, 0);
    EXPECT_FALSE(SettingsStore::Parse(oversized.data(), oversized.size()));
    EXPECT_FALSE(SettingsStore::Parse(nullptr, 100));
}

TEST(SettingsStoreFile, LivesUnderTheConfigHome)
{
    ScopedConfigHome home;
    EXPECT_EQ(SettingsStore::FilePath(), home.Path() + "/quillrock/settings.reg");
}

TEST(SettingsStoreFile, WritingKeepsOtherValuesOfTheKey)
{
    ScopedConfigHome home;
    SettingsStore first;
    ASSERT_TRUE(first.OpenForWrite());
    first.Set("Other", "xy", 2);
    first.Set("ShipType", "\1\0\0\0", 4);
    ASSERT_TRUE(first.Commit());

    SettingsStore second;
    ASSERT_TRUE(second.OpenForWrite());
    second.Set("ShipType", "\3\0\0\0", 4);
    ASSERT_TRUE(second.Commit());

    SettingsStore reader;
    ASSERT_TRUE(reader.OpenForRead());
    ASSERT_NE(reader.Query("Other"), nullptr);
    EXPECT_EQ(reader.Query("Other")->size(), 2u);
    EXPECT_EQ(reader.Query("ShipType")->at(0), 3);
    EXPECT_EQ(reader.Query("Missing"), nullptr);
}

TEST(SettingsStoreFile, FailedWriteLeavesTheEarlierFileWhole)
{
    ScopedConfigHome home;
    SettingsStore store;
    ASSERT_TRUE(store.OpenForWrite());
    store.Set("ShipType", "\1\0\0\0", 4);
    ASSERT_TRUE(store.Commit());
    const std::string before = ReadFile(SettingsStore::FilePath());

    // The temporary file's name taken by a folder: the write cannot start.
    std::filesystem::create_directory(SettingsStore::FilePath() + ".tmp");
    store.Set("ShipType", "\5\0\0\0", 4);
    EXPECT_FALSE(store.Commit());
    EXPECT_EQ(ReadFile(SettingsStore::FilePath()), before);
}

TEST(SettingsStoreFile, UnmakeableFolderRefusesTheKey)
{
    ScopedConfigHome home;
    std::ofstream(home.Path() + "/quillrock") << "a file where the folder belongs";
    SettingsStore store;
    EXPECT_FALSE(store.OpenForWrite());
    EXPECT_FALSE(store.OpenForRead());
}

TEST(SettingsStoreFile, MissingOrUnreadableFileIsNoKey)
{
    ScopedConfigHome home;
    SettingsStore store;
    EXPECT_FALSE(store.OpenForRead());
    std::filesystem::create_directories(SettingsStore::FilePath());
    EXPECT_FALSE(store.OpenForRead()) << "a folder in the file's place";
}

} // namespace
