#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "platform/WholeFile.h"
#include "server/engine/BanList.h"
#include "server/engine/FedServer.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace {

ServerLog::Clock::time_point fakeNow{std::chrono::seconds(100)};
ServerLog::Clock::time_point FakeNow() { return fakeNow; }

TEST(ServerLog, AFloodOfEventsIsCutToTheRateAndTheLeftOutAreCountedButTheOperatorsLinesAlwaysGoOut)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    long read = 0;
    ServerLog log(file, FakeNow);
    for (int i = 0; i < 1000; ++i)
        log.Line("event %d", i);
    log.Always("status");
    Lines lines = LoggedSince(file, read);
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(Lines(lines.begin() + 199, lines.end()),
              (Lines{"event 199", "(800 lines left out: they came too fast)", "status"}));

    // Ten seconds at a hundred events a second: no more than the steady
    // rate goes out, counts included.
    for (int i = 0; i < 1000; ++i) {
        fakeNow += std::chrono::milliseconds(10);
        log.Line("later %d", i);
    }
    lines = LoggedSince(file, read);
    EXPECT_NEAR(static_cast<double>(lines.size()), 10 * ServerLog::kLinesPerSecond, 2.0);
    EXPECT_TRUE(lines[0].front() == '(' && lines[0].find(" lines left out") != std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].find("later "), 0u) << lines[1];

    // After a quiet while the whole burst is there again.
    fakeNow += std::chrono::minutes(1);
    for (int i = 0; i < 300; ++i)
        log.Line("burst %d", i);
    EXPECT_EQ(LoggedSince(file, read).size(), static_cast<std::size_t>(ServerLog::kBurstLines));
    std::fclose(file);
}

using Operator = FedServer;

TEST_F(Operator, OneAddressMayKeepOnlyAFewConnectionsWaitingToJoin)
{
    ASSERT_EQ(Start(Options()), "");
    for (platform::PlayerId id = 1; id <= GameServer::kWaitingPerAddress + 2; ++id)
        server->OnPlayerJoinedFrom(id, 0x0a000001u);
    server->OnPlayerJoinedFrom(100, 0x0a000002u);
    // One that leaves stops counting.
    server->OnPlayerLeft(1);
    server->OnPlayerJoinedFrom(101, 0x0a000001u);
    int connected = 0, turnedAway = 0;
    for (const std::string& line : Since()) {
        connected += line.find(" connected") != std::string::npos;
        turnedAway += line.find("too many connections from its address wait to join") != std::string::npos;
    }
    EXPECT_EQ(connected, GameServer::kWaitingPerAddress + 2);
    EXPECT_EQ(turnedAway, 2);
}

TEST_F(Operator, AMapNamedForTheRotationThatCannotBePlayedStopsTheStartWithItsName)
{
    ServerOptions options = Options();
    options.maps = {"Arena", "Nope"};
    const std::string error = Start(options);
    EXPECT_NE(error.find("cannot play map Nope: "), std::string::npos) << error;
}

TEST_F(Operator, WithOneMatchTheServerStopsOnceTheFirstStandingsHaveShown)
{
    ServerOptions options = Options();
    options.roundMinutes = 0.05;
    options.bots = 2;
    options.oneMatch = true;
    ASSERT_EQ(Start(options), "");
    const auto play = [&](int most) {
        int ms = 0;
        for (; !server->HaltRequested() && ms < most; ms += 16)
            server->Tick(16);
        return ms;
    };
    play(20000);
    EXPECT_FALSE(server->HaltRequested()) << "robots alone play round after round, waiting for the match";
    Connect(1, 0x0a000001u, "Ann");
    // A fresh round of three seconds, then the five of the standings, and
    // not the next map.
    EXPECT_NEAR(play(60000), 8000, 100);
    EXPECT_TRUE(server->HaltRequested());
}

TEST_F(Operator, BansAndTheirFileAreTheOperatorsToo)
{
    TempDir dir;
    dir.WriteFile("bans", "203.0.113.7 forever\nrubbish\n");
    ServerOptions options = Options();
    options.banFile = dir.Path() + "/bans";
    ASSERT_EQ(Start(options), "");
    EXPECT_FALSE(server->Admits(0xcb007107u)) << "the file is read at the start";
    server->OnPlayerJoinedFrom(1, 0xc6336402u); // 198.51.100.2
    server->Operate("/ban 198.51.100.2 5");
    server->Operate("/unban 203.0.113.7");
    EXPECT_TRUE(server->Admits(0xcb007107u));
    EXPECT_FALSE(server->Admits(0xc6336402u));
    dir.WriteFile("bans", "10.1.1.1\n");
    server->Operate("/reload-bans");
    EXPECT_TRUE(server->Admits(0xc6336402u)) << "the file as edited by hand";
    EXPECT_FALSE(server->Admits(0x0a010101u));
    const Lines lines = Since();
    for (const std::string& line :
         Lines{"/bans:2: skipped: \"rubbish\" is not an IPv4 address", "the operator bans 198.51.100.2 for 5 minutes",
               "dropping player 1 at 198.51.100.2: banned", "198.51.100.2 is banned for 5 minutes and dropped.",
               "203.0.113.7 may come in again.", "1 ban from " + options.banFile + "."})
        EXPECT_TRUE(AnyHas(lines, line)) << line;
}

std::string FileText(const std::string& path)
{
    std::string why;
    const auto bytes = platform::ReadWholeFile(path, 64 << 20, why);
    EXPECT_TRUE(bytes) << why;
    return bytes ? std::string(bytes->begin(), bytes->end()) : "";
}

// A ban or its end is a line added to the file: the operator's lines stay
// as written, and however the file stood, what the server leaves in it it
// reads again, at a /reload-bans and at the next start.
TEST_F(Operator, ABanAddsALineAndTheFileStaysReadable)
{
    TempDir dir;
    // Short mistakes, each of which would grow by half as a comment.
    std::string mistakes;
    while (mistakes.size() < BanList::kLargestFile - 4096)
        mistakes += "x\n";
    const std::string written = "203.0.113.7 forever\n" + mistakes + "rubbish with no end";
    dir.WriteFile("bans", written);
    ServerOptions options = Options();
    options.banFile = dir.Path() + "/bans";
    ASSERT_EQ(Start(options), "");
    Since();
    server->Operate("/ban 198.51.100.2");
    server->Operate("/unban 203.0.113.7");
    const std::string text = FileText(options.banFile);
    ASSERT_EQ(text.substr(0, written.size()), written);
    const std::string added = text.substr(written.size());
    EXPECT_EQ(added.find("\n198.51.100.2 forever # by the operator, "), 0u) << added;
    EXPECT_EQ(added.find("\n203.0.113.7 lifted # by the operator, "), added.find('\n', 1)) << added;
    EXPECT_FALSE(AnyHas(Since(), "cannot be written"));

    server->Operate("/reload-bans");
    const auto reloaded = Since();
    EXPECT_TRUE(AnyHas(reloaded, "1 ban from " + options.banFile + "."));
    EXPECT_TRUE(AnyHas(reloaded, "bans: 2095095 more lines skipped")) << "rubbish is counted, not echoed";
    EXPECT_LT(reloaded.size(), 20u) << testing::PrintToString(reloaded);
    EXPECT_LE(FileText(options.banFile).size(), BanList::kLargestFile);
    ASSERT_EQ(Start(options), "");
    EXPECT_TRUE(server->Admits(0xcb007107u));
    EXPECT_FALSE(server->Admits(0xc6336402u));

    // Full, the file takes no more, and says so; the ban holds till the stop.
    dir.WriteFile("bans", std::string(BanList::kLargestFile - 10, '#'));
    server->Operate("/ban 10.1.1.1");
    EXPECT_TRUE(AnyHas(Since(), "10.1.1.1 is banned for good (the ban file cannot be written: "));
    EXPECT_FALSE(server->Admits(0x0a010101u));
    EXPECT_EQ(FileText(options.banFile).size(), BanList::kLargestFile - 10);
    server->Operate("/reload-bans");
    EXPECT_FALSE(server->Admits(0x0a010101u)) << "a reload forgot a ban the file had no room for";
}

// The ban file is the operator's, where it is: a link there is never
// followed, and an append cut short leaves no part of its line.
TEST_F(Operator, ABanNeverWritesThroughALinkNorLeavesHalfALine)
{
    TempDir dir;
    dir.WriteFile("victim", "precious\n");
    ASSERT_EQ(::symlink((dir.Path() + "/victim").c_str(), (dir.Path() + "/bans").c_str()), 0);
    ServerOptions options = Options();
    options.banFile = dir.Path() + "/bans";
    ASSERT_EQ(Start(options), "");
    server->Operate("/ban 10.1.1.1");
    EXPECT_EQ(FileText(dir.Path() + "/victim"), "precious\n");

    ASSERT_EQ(::unlink(options.banFile.c_str()), 0);
    dir.WriteFile("bans", "10.0.0.1 forever\n");
    {
        FileSizeLimit limit(20);
        server->Operate("/unban 10.0.0.1");
    }
    EXPECT_EQ(FileText(options.banFile), "10.0.0.1 forever\n");
}

} // namespace
