#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "net/NetMessage.h"
#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"
#include "support/TempDir.h"

namespace {
ServerLog::Clock::time_point fakeNow{std::chrono::seconds(100)};
ServerLog::Clock::time_point FakeNow() { return fakeNow; }

// What the log wrote, one string a line, without the time stamps.
std::vector<std::string> Lines(std::FILE* file)
{
    std::vector<std::string> lines;
    std::rewind(file);
    char line[1100];
    while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        lines.push_back(text.substr(24, text.size() - 25));
    }
    return lines;
}
} // namespace

TEST(Operator, AFloodOfEventsIsCutToTheRateAndTheLeftOutAreCountedButTheOperatorsLinesAlwaysGoOut)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ServerLog log(file, FakeNow);
    for (int i = 0; i < 1000; ++i)
        log.Line("event %d", i);
    log.Always("status");
    std::vector<std::string> lines = Lines(file);
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[199], "event 199");
    EXPECT_EQ(lines[200], "(800 lines left out: they came too fast)");
    EXPECT_EQ(lines[201], "status");

    // Ten seconds at a hundred events a second: no more than the steady
    // rate goes out, counts included.
    for (int i = 0; i < 1000; ++i) {
        fakeNow += std::chrono::milliseconds(10);
        log.Line("later %d", i);
    }
    lines = Lines(file);
    EXPECT_NEAR(static_cast<double>(lines.size() - 202), 10 * ServerLog::kLinesPerSecond, 2.0);
    EXPECT_TRUE(lines[202].front() == '(' && lines[202].find(" lines left out") != std::string::npos) << lines[202];
    EXPECT_EQ(lines[203].find("later "), 0u) << lines[203];

    // After a quiet while the whole burst is there again.
    fakeNow += std::chrono::minutes(1);
    const std::size_t before = lines.size();
    for (int i = 0; i < 300; ++i)
        log.Line("burst %d", i);
    lines = Lines(file);
    EXPECT_EQ(lines.size() - before, static_cast<std::size_t>(ServerLog::kBurstLines));
    std::fclose(file);
}

TEST(Operator, OneAddressMayKeepOnlyAFewConnectionsWaitingToJoin)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ServerLog log(file);
    ServerOptions options;
    options.maps = {"Arena"};
    GameServer server(options, QR_DATA_DIR, log);
    std::string error;
    ASSERT_TRUE(server.StartUnhosted(error)) << error;
    for (platform::PlayerId id = 1; id <= GameServer::kWaitingPerAddress + 2; ++id)
        server.OnPlayerJoinedFrom(id, 0x0a000001u);
    server.OnPlayerJoinedFrom(100, 0x0a000002u);
    // One that leaves stops counting.
    server.OnPlayerLeft(1);
    server.OnPlayerJoinedFrom(101, 0x0a000001u);
    int connected = 0, turnedAway = 0;
    for (const std::string& line : Lines(file)) {
        connected += line.find(" connected") != std::string::npos;
        turnedAway += line.find("too many connections from its address wait to join") != std::string::npos;
    }
    EXPECT_EQ(connected, GameServer::kWaitingPerAddress + 2);
    EXPECT_EQ(turnedAway, 2);
    std::fclose(file);
}

TEST(Operator, AMapNamedForTheRotationThatCannotBePlayedStopsTheStartWithItsName)
{
    ServerLog quiet(nullptr);
    ServerOptions options;
    options.maps = {"Arena", "Nope"};
    GameServer server(options, QR_DATA_DIR, quiet);
    std::string error;
    EXPECT_FALSE(server.StartUnhosted(error));
    EXPECT_NE(error.find("cannot play map Nope: "), std::string::npos) << error;
}

TEST(Operator, WithOneMatchTheServerStopsOnceTheFirstStandingsHaveShown)
{
    ServerLog quiet(nullptr);
    ServerOptions options;
    options.maps = {"Arena", "Warren"};
    options.roundMinutes = 0.05;
    options.bots = 2;
    options.oneMatch = true;
    GameServer server(options, QR_DATA_DIR, quiet);
    std::string error;
    ASSERT_TRUE(server.StartUnhosted(error)) << error;
    const auto play = [&](int most) {
        int ms = 0;
        for (; !server.HaltRequested() && ms < most; ms += 16)
            server.Tick(16);
        return ms;
    };
    play(20000);
    EXPECT_FALSE(server.HaltRequested()) << "robots alone play round after round, waiting for the match";
    NetMessage join;
    join.SetJoin(0, 0, "Ann");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(join.WireSize()));
    join.Serialize(bytes.data(), join.WireSize());
    server.OnPlayerJoinedFrom(1, 0x0a000001u);
    server.OnReceive(1, bytes.data(), bytes.size());
    // A fresh round of three seconds, then the five of the standings, and
    // not the next map.
    EXPECT_NEAR(play(60000), 8000, 100);
    EXPECT_TRUE(server.HaltRequested());
}

TEST(Operator, BansAndTheirFileAreTheOperatorsToo)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ServerLog log(file);
    TempDir dir;
    dir.WriteFile("bans", "203.0.113.7 forever\nrubbish\n");
    ServerOptions options;
    options.maps = {"Arena"};
    options.banFile = dir.Path() + "/bans";
    GameServer server(options, QR_DATA_DIR, log);
    std::string error;
    ASSERT_TRUE(server.StartUnhosted(error)) << error;
    EXPECT_FALSE(server.Admits(0xcb007107u));
    server.OnPlayerJoinedFrom(1, 0xc6336402u); // 198.51.100.2
    server.Operate("/ban 198.51.100.2 5");
    server.Operate("/unban 203.0.113.7");
    EXPECT_TRUE(server.Admits(0xcb007107u));
    EXPECT_FALSE(server.Admits(0xc6336402u));
    dir.WriteFile("bans", "10.1.1.1\n");
    server.Operate("/reload-bans");
    EXPECT_TRUE(server.Admits(0xc6336402u)) << "the file as edited by hand";
    EXPECT_FALSE(server.Admits(0x0a010101u));
    const std::vector<std::string> lines = Lines(file);
    const auto has = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("/bans:2: skipped: \"rubbish\" is not an IPv4 address"));
    EXPECT_TRUE(has("the operator bans 198.51.100.2 for 5 minutes"));
    EXPECT_TRUE(has("dropping player 1 at 198.51.100.2: banned"));
    EXPECT_TRUE(has("198.51.100.2 is banned for 5 minutes and dropped."));
    EXPECT_TRUE(has("203.0.113.7 may come in again."));
    EXPECT_TRUE(has("1 ban from " + options.banFile + "."));
    std::fclose(file);
}
