#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/LineReader.h"
#include "server/engine/FedServer.h"

namespace {

using platform::LineReader;

// Everything the reader gives until it gives nothing: lines as they are,
// a refused line as "<too long>".
Lines Drain(LineReader& reader)
{
    Lines got;
    std::string line;
    for (LineReader::Got kind; (kind = reader.Next(line)) != LineReader::Got::Nothing;)
        got.push_back(kind == LineReader::Got::Line ? line : "<too long>");
    return got;
}

TEST(ConsoleReader, LinesComeWholeAsTheyArriveTooLongOnesAreRefusedOnceAndTheEndEndsThem)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const auto write = [&](const std::string& bytes) {
        ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    };
    LineReader reader(ends[0]);
    EXPECT_EQ(Drain(reader), Lines{}) << "nothing written yet, and the call does not wait";
    write("/sta");
    EXPECT_EQ(Drain(reader), Lines{});
    write("tus\r\n/map War");
    EXPECT_EQ(Drain(reader), Lines{"/status"});
    const std::string longest(LineReader::kLongestLine, 'a');
    const std::string tooLong(LineReader::kLongestLine + 1, 'b');
    write("ren\n\n\xff\x1b[2J\xc3\x28\n" + longest + "\n" + tooLong + "\n/say b");
    ::close(ends[1]);
    EXPECT_EQ(Drain(reader), (Lines{"/map Warren", "", "\xff\x1b[2J\xc3\x28", longest, "<too long>", "/say b"}))
        << "bytes as they come, the last line without its end";
    EXPECT_TRUE(reader.Ended());
    EXPECT_EQ(Drain(reader), Lines{});
    ::close(ends[0]);

    // Neither /dev/null, a file, nor a closed descriptor is read at all.
    const int null = ::open("/dev/null", O_RDONLY);
    const int file = ::open(QR_DATA_DIR "/Maps/Arena.smp", O_RDONLY);
    for (const int fd : {null, file, 1000, -1}) {
        LineReader none(fd);
        EXPECT_TRUE(none.Ended()) << fd;
        EXPECT_EQ(Drain(none), Lines{}) << fd;
    }
    ::close(null);
    ::close(file);
}

// The operator's commands, every answer on the log.
class OperatorConsole : public FedServer {
protected:
    void SetUp() override
    {
        ServerOptions options = Options();
        options.maxPlayers = 4;
        options.bots = 1;
        ASSERT_EQ(Start(options), "");
        Since();
    }
};

TEST_F(OperatorConsole, StatusBotsAndKickOfARobotAndAPerson)
{
    Connect(7, 0x0a000005u, "Visitor");
    Since();
    const Lines status = Typed("/status");
    ASSERT_EQ(status.size(), 6u);
    EXPECT_EQ(Lines(status.begin(), status.begin() + 4),
              (Lines{"map Arena, mode dm, 10:00 left of the round",
                     "1 person and 1 robot (1 wanted) in 4 seats; 1 connection", "  robot \"Robot Ace\", ship 1, score 0",
                     "  \"Visitor\" (player 7) at 10.0.0.5, ship 2, score 0"}));
    EXPECT_TRUE(status[4].starts_with("since the last status: the longest tick ")) << status[4];
    EXPECT_TRUE(status[5].starts_with("the longest wait between ticks ")) << status[5];

    EXPECT_EQ(Typed("/bots 9"), Lines{"From 0 to 4 robots: there are as many seats."});
    Lines bots = Typed("/bots 4");
    EXPECT_TRUE(AnyHas(bots, "Robot Blaze joined the game"));
    EXPECT_EQ(bots.back(), "3 robots beside 1 person.") << "no more than the seats hold";
    bots = Typed("/bots 1");
    EXPECT_TRUE(AnyHas(bots, "Robot Comet left the game")) << "the newest go first";
    EXPECT_TRUE(AnyHas(bots, "Robot Blaze left the game"));
    EXPECT_EQ(bots.back(), "1 robot beside 1 person.");

    const Lines robot = Typed("/kick robot ace");
    EXPECT_TRUE(AnyHas(robot, "Robot Ace left the game"));
    EXPECT_EQ(robot.back(), "Robot Ace is retired; 0 robots wanted.");
    const Lines person = Typed("/kick \"Visitor\"");
    EXPECT_TRUE(AnyHas(person, "the operator drops \"Visitor\" (player 7) at 10.0.0.5"));
    EXPECT_TRUE(AnyHas(person, "Visitor left the game"));
    EXPECT_EQ(person.back(), "Visitor is dropped.");
    EXPECT_EQ(Typed("/kick Visitor"), Lines{"No player is named \"Visitor\"."});
    EXPECT_EQ(Typed("/status").at(1), "0 people and 0 robots (0 wanted) in 4 seats; 0 connections");
}

// In capture the flag the status says where each side's flag is.
TEST_F(FedServer, TheStatusOfCaptureTheFlagSaysWhereEachFlagIs)
{
    ServerOptions options = Options();
    options.mode = "ctf";
    options.bots = 2;
    ASSERT_EQ(Start(options), "");
    Since();
    const Lines status = Typed("/status");
    ASSERT_GE(status.size(), 5u);
    EXPECT_EQ(Lines(status.begin(), status.begin() + 5),
              (Lines{"map Arena, mode ctf, 10:00 left of the round", "  Red: score 0, 1 pilot",
                     "  Blue: score 0, 1 pilot", "  Red flag: home", "  Blue flag: home"}));
    Typed("/mode tdm");
    EXPECT_EQ(Typed("/status").front(), "map Arena, mode ctf (tdm from the next round), 10:00 left of the round");
    // A game begun again is the game as it started, whatever was asked since.
    server->Reset();
    EXPECT_TRUE(AnyHas(Typed("/status"), "map Arena, mode ctf, 10:00 left of the round"));
}

TEST_F(OperatorConsole, MapsNextSayAndHalt)
{
    EXPECT_EQ(Typed("/map Nope"), (Lines{"the operator asks for map \"Nope\"",
                                         "cannot change to map \"Nope\": no file " QR_DATA_DIR "/Maps/Nope.smp",
                                         "Cannot change to map \"Nope\"."}));
    EXPECT_EQ(Typed("/mode ctf1"), Lines{"No mode \"ctf1\": the modes are dm, tdm, ctf."});
    EXPECT_EQ(Typed("/mode DM"), (Lines{"the operator asks for mode dm from the next round", "The next round plays dm."}));
    const Lines warren = Typed("/map Warren");
    EXPECT_TRUE(AnyHas(warren, "round started on map Warren ("));
    EXPECT_TRUE(AnyHas(warren, "cells), deathmatch")) << "the mode asked for";
    EXPECT_TRUE(AnyHas(Typed("/next"), "round started on map Arena")) << "the rotation goes on after Warren";
    EXPECT_EQ(Typed("/say  hello\tall "), Lines{"chat: Server: helloall"}) << "only what the game's font draws";
    EXPECT_EQ(Typed("/say \x01\x02"), Lines{"Usage: /say TEXT"});
    EXPECT_FALSE(server->HaltRequested());
    EXPECT_EQ(Typed("/halt"), Lines{"the operator halts the server"});
    EXPECT_TRUE(server->HaltRequested());
}

// A player on this machine is honoured (GameServerTest); one elsewhere is not.
TEST_F(OperatorConsole, MapAndHaltRequestsOfAPlayerFromElsewhereAreIgnored)
{
    Connect(1, 0x0a000001u, "Far");
    Since();
    NetMessage change, halt;
    change.SetMapName("Warren");
    halt.SetHalt(0);
    Send(1, change);
    Send(1, halt);
    EXPECT_EQ(Since(), (Lines{"ignoring a change to map \"Warren\" from \"Far\" (player 1) at 10.0.0.1: not an admin",
                              "ignoring a halt from \"Far\" (player 1) at 10.0.0.1: not an admin"}));
    EXPECT_FALSE(server->HaltRequested());
    EXPECT_EQ(Typed("/status")[0], "map Arena, mode dm, 10:00 left of the round");
}

} // namespace
