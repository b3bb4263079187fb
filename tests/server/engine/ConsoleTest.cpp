#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "net/NetMessage.h"
#include "platform/LineReader.h"
#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"

namespace {

using platform::LineReader;
using Got = LineReader::Got;
using Lines = std::vector<std::string>;

class Pipe {
public:
    Pipe()
    {
        if (::pipe(ends) != 0)
            ends[0] = ends[1] = -1;
    }
    ~Pipe()
    {
        CloseWriter();
        ::close(ends[0]);
    }
    int Reader() const { return ends[0]; }
    void Write(const std::string& bytes) const
    {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t wrote = ::write(ends[1], bytes.data() + done, bytes.size() - done);
            if (wrote <= 0)
                return;
            done += static_cast<std::size_t>(wrote);
        }
    }
    void CloseWriter()
    {
        if (ends[1] >= 0)
            ::close(std::exchange(ends[1], -1));
    }

private:
    int ends[2] = {-1, -1};
};

// Everything the reader gives until it gives nothing: lines as they are,
// a refused line as "<too long>".
Lines Drain(LineReader& reader)
{
    Lines got;
    std::string line;
    for (Got kind; (kind = reader.Next(line)) != Got::Nothing;)
        got.push_back(kind == Got::Line ? line : "<too long>");
    return got;
}

TEST(ConsoleReader, LinesSplitAcrossReadsComeWholeAndEmptyOrBinaryLinesCount)
{
    Pipe pipe;
    LineReader reader(pipe.Reader());
    EXPECT_EQ(Drain(reader), Lines{}) << "nothing written yet, and the call does not wait";
    pipe.Write("/sta");
    EXPECT_EQ(Drain(reader), Lines{});
    pipe.Write("tus\r\n/map War");
    EXPECT_EQ(Drain(reader), Lines{"/status"});
    pipe.Write("ren\n\n\xff\x1b[2J\xc3\x28\n/say b\n");
    EXPECT_EQ(Drain(reader), (Lines{"/map Warren", "", "\xff\x1b[2J\xc3\x28", "/say b"})) << "bytes as they come";
    EXPECT_FALSE(reader.Ended());
}

TEST(ConsoleReader, ALineOverTheLimitIsRefusedOnceAndTheNextLineIsRead)
{
    Pipe pipe;
    LineReader reader(pipe.Reader());
    pipe.Write(std::string(LineReader::kLongestLine, 'a') + "\n" + std::string(LineReader::kLongestLine + 1, 'b') +
               "\n/next\n");
    const Lines atTheLimit = Drain(reader);
    ASSERT_EQ(atTheLimit.size(), 3u);
    EXPECT_EQ(atTheLimit[0].size(), LineReader::kLongestLine);
    EXPECT_EQ(atTheLimit[1], "<too long>");
    EXPECT_EQ(atTheLimit[2], "/next");
}

TEST(ConsoleReader, TheEndOfInputGivesTheLastLineAndThenNothingEverAgain)
{
    Pipe pipe;
    LineReader reader(pipe.Reader());
    pipe.Write("/say one\n/say two");
    pipe.CloseWriter();
    EXPECT_EQ(Drain(reader), (Lines{"/say one", "/say two"}));
    EXPECT_TRUE(reader.Ended());
    EXPECT_EQ(Drain(reader), Lines{});

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

// What the log wrote since the last call, without the time stamps.
class Log {
public:
    Log() : file(std::tmpfile()), log(file) {}
    ~Log() { std::fclose(file); }
    Lines Since()
    {
        std::fflush(file);
        std::fseek(file, read, SEEK_SET);
        Lines lines;
        char line[1100];
        while (std::fgets(line, sizeof line, file)) {
            const std::string text(line);
            lines.push_back(text.substr(24, text.size() - 25));
        }
        read = std::ftell(file);
        return lines;
    }
    bool Has(const Lines& lines, const std::string& text)
    {
        for (const std::string& line : lines) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    std::FILE* file;
    ServerLog log;
    long read = 0;
};

// The operator's commands on a server that opened no port, players fed to
// it by hand; every answer goes on the log.
class OperatorConsole : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerOptions options;
        options.maps = {"Arena", "Warren"};
        options.maxPlayers = 4;
        options.bots = 1;
        server = std::make_unique<GameServer>(options, QR_DATA_DIR, out.log);
        std::string error;
        ASSERT_TRUE(server->StartUnhosted(error)) << error;
        out.Since();
    }

    Lines Typed(const std::string& line)
    {
        server->Operate(line);
        return out.Since();
    }

    void Send(platform::PlayerId id, const NetMessage& message)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
        message.Serialize(bytes.data(), message.WireSize());
        server->OnReceive(id, bytes.data(), bytes.size());
    }

    void Connect(platform::PlayerId id, std::uint32_t address, const char* name)
    {
        server->OnPlayerJoinedFrom(id, address);
        NetMessage join;
        join.SetJoin(0, 1, name);
        Send(id, join);
    }

    Log out;
    std::unique_ptr<GameServer> server;
};

TEST_F(OperatorConsole, StatusBotsAndKickOfARobotAndAPerson)
{
    Connect(7, 0x0a000005u, "Visitor");
    out.Since();
    Lines status = Typed("/status");
    ASSERT_EQ(status.size(), 6u);
    EXPECT_EQ(status[0], "map Arena, 10:00 left of the round");
    EXPECT_EQ(status[1], "1 person and 1 robot (1 wanted) in 4 seats; 1 connection");
    EXPECT_EQ(status[2], "  robot \"Robot Ace\", ship 1, score 0");
    EXPECT_EQ(status[3], "  \"Visitor\" (player 7) at 10.0.0.5, ship 2, score 0");
    EXPECT_EQ(status[4].find("since the last status: the longest tick "), 0u) << status[4];
    EXPECT_EQ(status[5].find("the longest wait between ticks "), 0u) << status[5];

    EXPECT_EQ(Typed("/bots 9"), Lines{"From 0 to 4 robots: there are as many seats."});
    EXPECT_EQ(Typed("/bots two"), Lines{"Usage: /bots N"});
    Lines bots = Typed("/bots 4");
    EXPECT_TRUE(out.Has(bots, "Robot Blaze joined the game"));
    EXPECT_EQ(bots.back(), "3 robots beside 1 person.") << "no more than the seats hold";
    bots = Typed("/bots 1");
    EXPECT_TRUE(out.Has(bots, "Robot Comet left the game")) << "the newest go first";
    EXPECT_TRUE(out.Has(bots, "Robot Blaze left the game"));
    EXPECT_EQ(bots.back(), "1 robot beside 1 person.");

    const Lines robot = Typed("/kick robot ace");
    EXPECT_TRUE(out.Has(robot, "Robot Ace left the game"));
    EXPECT_EQ(robot.back(), "Robot Ace is retired; 0 robots wanted.");
    const Lines person = Typed("/kick \"Visitor\"");
    EXPECT_TRUE(out.Has(person, "the operator drops \"Visitor\" (player 7) at 10.0.0.5"));
    EXPECT_TRUE(out.Has(person, "Visitor left the game"));
    EXPECT_EQ(person.back(), "Visitor is dropped.");
    EXPECT_EQ(Typed("/kick Visitor"), Lines{"No player is named \"Visitor\"."});
    status = Typed("/status");
    EXPECT_EQ(status[1], "0 people and 0 robots (0 wanted) in 4 seats; 0 connections");
}

TEST_F(OperatorConsole, MapsNextSayAndHalt)
{
    EXPECT_EQ(Typed("/map Nope"), (Lines{"the operator asks for map \"Nope\"",
                                         "cannot change to map \"Nope\": no file " QR_DATA_DIR "/Maps/Nope.smp",
                                         "Cannot change to map \"Nope\"."}));
    EXPECT_EQ(Typed("/map"), Lines{"Usage: /map NAME"});
    EXPECT_TRUE(out.Has(Typed("/map Warren"), "round started on map Warren"));
    EXPECT_TRUE(out.Has(Typed("/next"), "round started on map Arena")) << "the rotation goes on after Warren";
    EXPECT_EQ(Typed("/say  hello\tall "), Lines{"chat: Server: helloall"}) << "only what the game's font draws";
    EXPECT_EQ(Typed("/say \x01\x02"), Lines{"Usage: /say TEXT"});
    EXPECT_FALSE(server->HaltRequested());
    EXPECT_EQ(Typed("/halt"), Lines{"the operator halts the server"});
    EXPECT_TRUE(server->HaltRequested());
}

TEST_F(OperatorConsole, MapAndHaltRequestsOfPlayersGoByWhereTheyAre)
{
    Connect(1, 0x0a000001u, "Far");
    Connect(2, 0x7f000001u, "Near");
    out.Since();
    NetMessage change, halt;
    change.SetMapName("Warren");
    halt.SetHalt(0);

    Send(1, change);
    Send(1, halt);
    EXPECT_EQ(out.Since(), (Lines{"ignoring a change to map \"Warren\" from \"Far\" (player 1) at 10.0.0.1: not an "
                                  "admin",
                                  "ignoring a halt from \"Far\" (player 1) at 10.0.0.1: not an admin"}));
    EXPECT_FALSE(server->HaltRequested());
    EXPECT_EQ(Typed("/status")[0], "map Arena, 10:00 left of the round");

    Send(2, change);
    const Lines changed = out.Since();
    ASSERT_FALSE(changed.empty());
    EXPECT_EQ(changed[0], "\"Near\" (player 2) at 127.0.0.1 asks for map \"Warren\"");
    EXPECT_TRUE(out.Has(changed, "round started on map Warren"));
    Send(2, halt);
    EXPECT_EQ(out.Since(), Lines{"\"Near\" (player 2) at 127.0.0.1 halts the server"});
    EXPECT_TRUE(server->HaltRequested());
}

} // namespace
