#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/WholeFile.h"
#include "server/engine/AdminLogins.h"
#include "server/engine/Admission.h"
#include "server/engine/BanList.h"
#include "server/engine/DottedAddress.h"
#include "server/engine/FedServer.h"
#include "server/engine/ServerLog.h"
#include "server/engine/ServerOptions.h"
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
    EXPECT_EQ(std::tuple(list.IsBanned(bob, noon + 3599), list.IsBanned(bob, noon + 3600), list.IsBanned(gone, noon),
                         list.Bans().size()),
              std::tuple(true, false, false, 2u));

    // That the text reads back whole is BanFileFuzz's.
    EXPECT_EQ(list.Text(), "# by hand\n"
                    "# 10.0.0.256 forever\n"
                    "# 10.0.0.1 tomorrow\n"
                    "#    binary\n"
                    "# 010.0.0.1\n"
                    "198.51.100.2 2026-12-08T13:00:00Z # Bob, for an hour\n"
                    "203.0.113.7 forever # again: the later stands\n");
}

// The file is a log: a later line for an address stands, "lifted" ends
// its ban, and the lines that no longer count are what a tidy leaves out.
// Lines that are no ban keep all they say, however long.
TEST(BanList, TheLaterLineStandsAndMistakesAreKeptWhole)
{
    BanList list;
    const std::string rambling(300, 'r');
    list.Read("203.0.113.7 forever\n"
              "198.51.100.2 forever # Bob\n"
              "203.0.113.7 lifted # by the operator\n"
              "198.51.100.2 2026-12-08T11:00:00Z\n"
              "# " + rambling + "\n" +
              rambling + "\n",
              1796731200, [](int, const std::string&) {});
    EXPECT_TRUE(list.Bans().empty());
    EXPECT_EQ(list.Outworn(), 4);
    EXPECT_EQ(list.Text(), "# " + rambling + "\n# " + rambling + "\n");
    EXPECT_EQ(BanList::LineOf({0xcb007107u, 0, "Ann, by the operator"}), "203.0.113.7 forever # Ann, by the operator\n");
    EXPECT_EQ(BanList::LiftedLine(0xcb007107u, ""), "203.0.113.7 lifted\n");
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

using Outcome = AdminLogins::Outcome;

// Admin logins read from a password file whose first line, trimmed, is
// the password.
class AdminLoginsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.WriteFile("password", "s3cret  \r\nsecond line\n");
        std::string error;
        ASSERT_TRUE(logins.Load(dir.Path() + "/password", error)) << error;
    }

    TempDir dir;
    AdminLogins logins;
};

TEST_F(AdminLoginsTest, ThreeWrongTriesInAMinuteLockTheAddressForTenMinutes)
{
    std::uint64_t now = 1000;
    // Two wrong, a minute's pause, two more: never three within a minute,
    // each after the wait the one before it set.
    EXPECT_EQ(logins.Try(kHome, "s3cre", now), Outcome::Wrong);
    EXPECT_EQ(logins.Try(kHome, "s3cret  ", now += 10), Outcome::Wrong);
    now += AdminLogins::kMinuteMs;
    EXPECT_EQ(logins.Try(kHome, "", now), Outcome::Wrong);
    EXPECT_EQ(logins.Try(kHome, "S3CRET", now += 1000), Outcome::Wrong);
    EXPECT_EQ(logins.MinutesLocked(kHome, now), 1) << "a wait of 2 s";
    EXPECT_EQ(logins.Try(kHome, "nope", now += 2000), Outcome::WrongAndLocked);
    EXPECT_EQ(logins.MinutesLocked(kHome, now), 10);
    EXPECT_EQ(logins.Try(kHome, "s3cret", now += 1000), Outcome::LockedOut) << "even the right one";
    EXPECT_EQ(logins.Try(kHome + 1, "s3cret", now), Outcome::LoggedIn) << "another address is not locked";
    EXPECT_EQ(logins.MinutesLocked(kHome, now + 9 * AdminLogins::kMinuteMs), 1);
    EXPECT_EQ(logins.Try(kHome, "s3cret", now + AdminLogins::kLockMs), Outcome::LoggedIn);
}

// Two guesses a minute stay under the three that lock an address; the wait
// after each wrong one past two doubles, up to ten minutes, and a login or
// an hour's quiet ends it.
TEST_F(AdminLoginsTest, EachWrongTryAfterTwoDoublesTheAddresssWait)
{
    std::uint64_t now = 5000;
    EXPECT_EQ(logins.Try(kHome, "a", now), Outcome::Wrong);
    EXPECT_EQ(logins.Try(kHome, "a", now += 30 * 1000), Outcome::Wrong);
    EXPECT_EQ(logins.WaitMs(kHome, now), 0U) << "two slips cost nothing";
    std::uint64_t wait = AdminLogins::kFirstWaitMs;
    for (int guess = 3; guess <= 15; ++guess) {
        now += std::max<std::uint64_t>(wait, 30 * 1000);
        ASSERT_EQ(logins.Try(kHome, "a", now), Outcome::Wrong) << guess;
        EXPECT_EQ(logins.WaitMs(kHome, now), wait) << guess;
        EXPECT_EQ(logins.Try(kHome, "s3cret", now + 1), Outcome::LockedOut) << guess;
        EXPECT_TRUE(logins.RefusalIsNews()) << guess;
        EXPECT_EQ(logins.Try(kHome, "s3cret", now + wait - 1), Outcome::LockedOut) << guess;
        EXPECT_FALSE(logins.RefusalIsNews()) << "told once a lock";
        wait = std::min(wait * 2, AdminLogins::kLockMs);
    }
    EXPECT_EQ(logins.WaitMs(kHome, now), AdminLogins::kLockMs);
    EXPECT_EQ(logins.Try(kHome, "s3cret", now += AdminLogins::kLockMs), Outcome::LoggedIn);
    for (int guess = 1; guess <= 2; ++guess)
        EXPECT_EQ(logins.Try(kHome, "a", now += 30 * 1000), Outcome::Wrong);
    EXPECT_EQ(logins.WaitMs(kHome, now), 0U) << "the login began anew";
    EXPECT_EQ(logins.Try(kHome, "a", now += AdminLogins::kQuietMs), Outcome::Wrong);
    EXPECT_EQ(logins.Try(kHome, "a", now += 30 * 1000), Outcome::Wrong);
    EXPECT_EQ(logins.WaitMs(kHome, now), 0U) << "an hour's quiet began anew";
}

// Many addresses, each under its own limit, together meet one for all: a
// minute with no tries at all, the right password too, told once.
TEST_F(AdminLoginsTest, TooManyWrongTriesFromAllAddressesStopEveryLoginForAMinute)
{
    const std::uint64_t start = 7000;
    for (std::uint32_t i = 0; i < AdminLogins::kWrongPerMinuteAll; ++i)
        ASSERT_EQ(logins.Try(kHome + i, "a", start + i), Outcome::Wrong) << i;
    const std::uint32_t fresh = kHome + 1000;
    EXPECT_EQ(logins.Try(fresh, "s3cret", start + 100), Outcome::Busy);
    EXPECT_TRUE(logins.RefusalIsNews());
    EXPECT_EQ(logins.Try(fresh, "s3cret", start + 200), Outcome::Busy);
    EXPECT_FALSE(logins.RefusalIsNews());
    EXPECT_EQ(logins.WaitMs(fresh, start + 200), AdminLogins::kMinuteMs - 200);
    EXPECT_EQ(logins.Try(fresh, "s3cret", start + AdminLogins::kMinuteMs), Outcome::LoggedIn);
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
        EXPECT_EQ(logins.Try(kHome, "secret", 0), Outcome::NoLogins);
    }
}

// Opens and closes the FIFO's writing end whenever a reader waits on it,
// so that a reader that blocks fails its test instead of hanging it.
std::jthread FifoWriter(const std::string& path)
{
    return std::jthread([path](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            if (const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

// A FIFO named as the config, the ban or the password file is refused at
// once, naming it; a ban file swapped for one is refused when read again.
TEST(ServerFiles, AFifoInAFilesPlaceIsRefusedNotWaitedOn)
{
    TempDir dir;
    const std::string fifo = dir.Path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::jthread writer = FifoWriter(fifo);
    const std::string refused = fifo + ": not a regular file";

    ServerOptions options;
    std::string message;
    const char* args[] = {"quillrock-server", "--config", fifo.c_str()};
    EXPECT_EQ(ParseServerOptions(3, args, options, message), ParsedOptions::BadConfig);
    EXPECT_NE(message.find(refused), std::string::npos) << message;

    AdminLogins logins;
    std::string error;
    EXPECT_FALSE(logins.Load(fifo, error));
    EXPECT_NE(error.find(refused), std::string::npos) << error;

    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    ServerLog log(sink);
    ServerOptions banned;
    banned.banFile = dir.Path() + "/bans";
    dir.WriteFile("bans", "");
    Admission admission(banned, log);
    ASSERT_TRUE(admission.Load(error)) << error;
    banned.banFile = fifo;
    error.clear();
    EXPECT_FALSE(admission.ReadBans(error));
    EXPECT_NE(error.find(refused), std::string::npos) << error;
    std::fclose(sink);
}

// The file a replacement is written to first is made afresh: a symbolic
// link or a FIFO planted at its name is neither followed nor waited on;
// one left by a stop half way is replaced.
TEST(ServerFiles, AReplacementIsWrittenToAFreshFileOnly)
{
    TempDir dir;
    const std::string bans = dir.Path() + "/bans";
    dir.WriteFile("elsewhere", "kept\n");
    ASSERT_EQ(::symlink((dir.Path() + "/elsewhere").c_str(), (bans + ".new").c_str()), 0);
    std::string error;
    EXPECT_FALSE(platform::ReplaceFile(bans, "1.2.3.4\n", error));
    EXPECT_NE(error.find(bans + ".new: "), std::string::npos) << error;
    std::string why;
    const auto elsewhere = platform::ReadWholeFile(dir.Path() + "/elsewhere", 100, why);
    ASSERT_TRUE(elsewhere) << why;
    EXPECT_EQ(std::string(elsewhere->begin(), elsewhere->end()), "kept\n");
    EXPECT_FALSE(platform::FileExists(bans));

    ASSERT_EQ(::unlink((bans + ".new").c_str()), 0);
    ASSERT_EQ(::mkfifo((bans + ".new").c_str(), 0600), 0);
    {
        // Should the FIFO be opened for writing, a reader lets the test end.
        const std::jthread reader([&](const std::stop_token& stop) {
            while (!stop.stop_requested()) {
                if (const int fd = ::open((bans + ".new").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        error.clear();
        EXPECT_FALSE(platform::ReplaceFile(bans, "1.2.3.4\n", error));
        EXPECT_NE(error.find(bans + ".new: "), std::string::npos) << error;
    }

    // Reading a file with outworn lines tidies it; in the way, that is logged.
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    ServerLog log(sink);
    ServerOptions options;
    options.banFile = bans;
    dir.WriteFile("bans", "1.2.3.4 forever\n1.2.3.4 lifted\n");
    Admission admission(options, log);
    EXPECT_TRUE(admission.Load(error)) << error;
    long read = 0;
    const Lines logged = LoggedSince(sink, read);
    std::fclose(sink);
    EXPECT_TRUE(AnyHas(logged, "cannot tidy the bans: " + bans + ".new: ")) << testing::PrintToString(logged);

    ASSERT_EQ(::unlink((bans + ".new").c_str()), 0);
    dir.WriteFile("bans.new", "half");
    EXPECT_TRUE(platform::ReplaceFile(bans, "1.2.3.4\n", error)) << error;
    EXPECT_FALSE(platform::FileExists(bans + ".new"));
}

// Forged connects are told to the operator: the first at once, a flood as
// one line a minute with its count.
TEST(Admission, ConnectsWithoutTheirCookieAreLoggedAtOnceThenOnceAMinute)
{
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    ServerLog log(sink);
    const ServerOptions options;
    Admission admission(options, log);
    constexpr std::uint64_t kMinute = Admission::kUnprovenLogMs;
    for (const auto& [total, now] : std::vector<std::pair<std::uint64_t, std::uint64_t>> {
             {0, 5}, {1, 10}, {40, 20}, {50, kMinute}, {50, kMinute + 10}, {50, 3 * kMinute}, {51, 3 * kMinute + 1}})
        admission.CountUnproven(total, now);
    long read = 0;
    Lines counts;
    for (const std::string& line : LoggedSince(sink, read)) {
        const std::size_t at = line.find("dropped ") + 8;
        counts.push_back(line.substr(at, line.find(" without") - at));
    }
    std::fclose(sink);
    EXPECT_EQ(counts, (Lines {"1 connect", "49 connects", "1 connect"}));
}

} // namespace
