#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "server/engine/AdminLogins.h"
#include "server/engine/BanList.h"
#include "server/engine/DottedAddress.h"
#include "support/TempDir.h"

namespace {

constexpr std::uint32_t kHome = 0xc0a80002; // 192.168.0.2

TEST(BanList, GoodLinesAreKeptWrongOnesToldAndKeptAsCommentsAndEndedBansGo)
{
    std::int64_t noon = 0;
    ASSERT_TRUE(BanList::ReadTime("2026-12-08T12:00:00Z", noon));
    EXPECT_EQ(BanList::TimeText(noon), "2026-12-08T12:00:00Z");
    BanList list;
    std::vector<std::pair<int, std::string>> skipped;
    list.Read("# by hand\r\n"
              "203.0.113.7\n"
              "198.51.100.2 2026-12-08T13:00:00Z # Bob, for an hour\n"
              "192.0.2.1 2026-12-08T11:00:00Z\n"
              "10.0.0.256 forever\n"
              "10.0.0.1 tomorrow\n"
              "\x01\x02 binary\n"
              "010.0.0.1\n"
              "203.0.113.7 forever # again: the later stands\n",
              noon, [&](int line, const std::string& why) { skipped.emplace_back(line, why); });
    ASSERT_EQ(skipped.size(), 4u);
    EXPECT_EQ(skipped[0], std::pair(5, std::string("\"10.0.0.256\" is not an IPv4 address")));
    EXPECT_EQ(skipped[1].first, 6);
    EXPECT_NE(skipped[1].second.find("\"tomorrow\" is neither"), std::string::npos);
    EXPECT_EQ(skipped[3].first, 8) << "no leading zeros: 010 reads as octal elsewhere";

    std::uint32_t bob = 0, gone = 0;
    ASSERT_TRUE(ReadDottedAddress("198.51.100.2", bob));
    ASSERT_TRUE(ReadDottedAddress("192.0.2.1", gone));
    EXPECT_TRUE(list.IsBanned(bob, noon + 3599));
    EXPECT_FALSE(list.IsBanned(bob, noon + 3600));
    EXPECT_FALSE(list.IsBanned(gone, noon));
    EXPECT_EQ(list.Bans().size(), 2u);

    // That the text reads back whole is BanFileFuzz's.
    EXPECT_EQ(list.Text(), "# by hand\n"
                    "# 10.0.0.256 forever\n"
                    "# 10.0.0.1 tomorrow\n"
                    "#    binary\n"
                    "# 010.0.0.1\n"
                    "198.51.100.2 2026-12-08T13:00:00Z # Bob, for an hour\n"
                    "203.0.113.7 forever # again: the later stands\n");
}

TEST(BanList, TimesAndAddressesOfTheWrongShapeAreRefused)
{
    std::int64_t seconds = 0;
    for (const char* time : {"2026-12-08 12:00:00Z", "2026-13-08T12:00:00Z", "2026-12-08T24:00:00Z",
                             "2026-12-08T12:00:00", "1969-12-31T23:59:59Z", "+026-12-08T12:00:00Z",
                             "2026-02-29T12:00:00Z"})
        EXPECT_FALSE(BanList::ReadTime(time, seconds)) << time;
    std::uint32_t address = 0;
    for (const char* text : {"1.2.3", "1.2.3.4.5", "1.2.3.-4", "1..3.4", " 1.2.3.4", "1.2.3.4 ", "1.2.3.1000", ""})
        EXPECT_FALSE(ReadDottedAddress(text, address)) << text;
    ASSERT_TRUE(ReadDottedAddress("255.0.10.1", address));
    EXPECT_EQ(DottedAddress(address), "255.0.10.1");
}

TEST(AdminLogins, ThreeWrongTriesInAMinuteLockTheAddressForTenMinutes)
{
    TempDir dir;
    dir.WriteFile("password", "s3cret  \r\nsecond line\n");
    AdminLogins logins;
    std::string error;
    ASSERT_TRUE(logins.Load(dir.Path() + "/password", error)) << error;
    using Outcome = AdminLogins::Outcome;
    std::uint64_t now = 1000;
    // Two wrong, a minute's pause, two more: never three within a minute.
    EXPECT_EQ(logins.Try(kHome, "s3cre", now), Outcome::Wrong);
    EXPECT_EQ(logins.Try(kHome, "s3cret  ", now += 10), Outcome::Wrong);
    now += AdminLogins::kMinuteMs;
    EXPECT_EQ(logins.Try(kHome, "", now), Outcome::Wrong);
    EXPECT_EQ(logins.Try(kHome, "S3CRET", now += 10), Outcome::Wrong);
    EXPECT_EQ(logins.MinutesLocked(kHome, now), 0);
    EXPECT_EQ(logins.Try(kHome, "nope", now += 10), Outcome::Wrong);
    EXPECT_EQ(logins.MinutesLocked(kHome, now), 10);
    EXPECT_EQ(logins.Try(kHome, "s3cret", now += 1000), Outcome::LockedOut) << "even the right one";
    EXPECT_EQ(logins.Try(kHome + 1, "s3cret", now), Outcome::LoggedIn) << "another address is not locked";
    EXPECT_EQ(logins.MinutesLocked(kHome, now + 9 * AdminLogins::kMinuteMs), 1);
    EXPECT_EQ(logins.Try(kHome, "s3cret", now + AdminLogins::kLockMs), Outcome::LoggedIn);
}

TEST(AdminLogins, APasswordFileMustHoldAShortPasswordOnItsFirstLine)
{
    TempDir dir;
    dir.WriteFile("big", std::string(1 << 20, 'x'));
    dir.WriteFile("empty", "\nsecret\n");
    dir.WriteFile("long", std::string(AdminLogins::kLongestPassword + 1, 'x'));
    for (const char* name : {"big", "empty", "long", "missing"}) {
        AdminLogins logins;
        std::string error;
        EXPECT_FALSE(logins.Load(dir.Path() + "/" + name, error)) << name;
        EXPECT_NE(error.find(dir.Path() + "/" + name), std::string::npos) << error;
        EXPECT_EQ(logins.Try(kHome, "secret", 0), AdminLogins::Outcome::NoLogins);
    }
}

} // namespace
