#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "app/Settings.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"

namespace {

using platform::SettingsStore;

void StoreRaw(const SettingsStore::Values& values)
{
    SettingsStore store;
    ASSERT_TRUE(store.OpenForWrite());
    for (const auto& [name, value] : values)
        store.Set(name, value.data(), value.size());
    ASSERT_TRUE(store.Commit());
}

void ExpectDefaults(const Settings& s)
{
    EXPECT_STREQ(s.PlayerName, "");
    EXPECT_EQ(s.ShipType, 0);
    EXPECT_EQ(s.ResWidth, 1024);
    EXPECT_EQ(s.ResHeight, 768);
    EXPECT_EQ(s.ResDepth, 32);
    EXPECT_EQ(s.ResFreq, 60);
}

TEST(Settings, FirstStartKeepsTheDefaults)
{
    ScopedConfigHome home;
    Settings s;
    LoadSettings(s);
    ExpectDefaults(s);
}

TEST(Settings, AllSixValuesRoundTrip)
{
    ScopedConfigHome home;
    Settings written;
    written.SetPlayerName("Vera");
    written.ShipType = 5;
    written.ResWidth = 1280;
    written.ResHeight = 1024;
    written.ResDepth = 16;
    written.ResFreq = 75;
    ASSERT_TRUE(WriteSettings(written));

    Settings read;
    LoadSettings(read);
    EXPECT_STREQ(read.PlayerName, "Vera");
    EXPECT_EQ(read.ShipType, 5);
    EXPECT_EQ(read.ResWidth, 1280);
    EXPECT_EQ(read.ResHeight, 1024);
    EXPECT_EQ(read.ResDepth, 16);
    EXPECT_EQ(read.ResFreq, 75);
}

TEST(Settings, ValuesAreRawBytesNameWithoutTerminator)
{
    ScopedConfigHome home;
    Settings s;
    s.SetPlayerName("Ann");
    s.ResWidth = 0x01020304;
    ASSERT_TRUE(WriteSettings(s));

    SettingsStore store;
    ASSERT_TRUE(store.OpenForRead());
    EXPECT_EQ(*store.Query("PlayerName"), (SettingsStore::Value{'A', 'n', 'n'}));
    EXPECT_EQ(*store.Query("ResWidth"), (SettingsStore::Value{4, 3, 2, 1}));
}

TEST(Settings, StoredNameOver127BytesIsNotTaken)
{
    ScopedConfigHome home;
    StoreRaw({{"PlayerName", SettingsStore::Value(128, 'x')}, {"ShipType", {3, 0, 0, 0}}});
    Settings s;
    s.SetPlayerName("previous");
    LoadSettings(s);
    EXPECT_STREQ(s.PlayerName, "") << "the buffer is cleared before the name is read";
    EXPECT_EQ(s.ShipType, 3);

    StoreRaw({{"PlayerName", SettingsStore::Value(127, 'y')}});
    LoadSettings(s);
    EXPECT_EQ(std::strlen(s.PlayerName), 127u);
}

TEST(Settings, NumbersOfTheWrongLengthAreNotTaken)
{
    ScopedConfigHome home;
    StoreRaw({{"ShipType", {1, 0}}, {"ResWidth", {0, 5, 0, 0, 0}}, {"ResFreq", {85, 0, 0, 0}}});
    Settings s;
    LoadSettings(s);
    EXPECT_EQ(s.ShipType, 0);
    EXPECT_EQ(s.ResWidth, 1024);
    EXPECT_EQ(s.ResFreq, 85);
}

TEST(Settings, DamagedFileGivesTheDefaults)
{
    ScopedConfigHome home;
    Settings good;
    good.SetPlayerName("Kim");
    good.ShipType = 4;
    ASSERT_TRUE(WriteSettings(good));
    {
        std::fstream file(SettingsStore::FilePath(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(20);
        file.put('\x7f');
    }
    Settings s;
    LoadSettings(s);
    ExpectDefaults(s);
}

TEST(Settings, LongNameIsCutTo127Characters)
{
    ScopedConfigHome home;
    Settings s;
    s.SetPlayerName(std::string(200, 'n').c_str());
    EXPECT_EQ(std::strlen(s.PlayerName), 127u);
    ASSERT_TRUE(WriteSettings(s));
    Settings read;
    LoadSettings(read);
    EXPECT_EQ(std::string(read.PlayerName), std::string(127, 'n'));
}

TEST(Settings, UnwritableFolderFailsQuietly)
{
    ScopedConfigHome home;
    std::ofstream(home.Path() + "/quillrock") << "not a folder";
    Settings s;
    s.ShipType = 2;
    EXPECT_FALSE(WriteSettings(s));
    Settings read;
    LoadSettings(read);
    ExpectDefaults(read);
}

} // namespace
