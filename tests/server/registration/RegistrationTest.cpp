#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "server/registration/LiveMaster.h"
#include "support/ServerThread.h"
#include "support/SidecarStandIn.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A UDP port nobody holds now.
std::uint16_t FreeUdpPort()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The real server program registering with a master, its console on a
// pipe and its log thrown away.
class ServerProcess {
public:
    ServerProcess(std::uint16_t port, const std::string& master)
    {
        int console[2];
        if (::pipe2(console, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, console[0], 0);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        const std::string portText = std::to_string(port);
        const std::vector<std::string> words = {QR_SERVER_BINARY, "--data", QR_DATA_DIR, "--port", portText,
                                                "--maps", "Arena", "--bots", "2", "--name",
                                                "Registered " + portText, "--master", master};
        std::vector<char*> argv;
        for (const std::string& word : words)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid, QR_SERVER_BINARY, &files, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&files);
        ::close(console[0]);
        input = console[1];
    }
    ~ServerProcess()
    {
        Kill(SIGKILL);
        ::close(input);
    }
    void Type(const std::string& line) { (void)!::write(input, line.data(), line.size()); }
    void Kill(int signal)
    {
        if (pid <= 0)
            return;
        ::kill(pid, signal);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }

private:
    pid_t pid = -1;
    int input = -1;
};

int Robots(const nlohmann::json& server)
{
    int robots = 0;
    for (const nlohmann::json& player : server["players"])
        robots += player.value("robot", false);
    return robots;
}

} // namespace

// A server in this process is listed as it is by two masters, whose
// challenges come from one address, and its clean end unlists it.
TEST(Registration, AServerIsListedByTwoMastersWithinTwentySecondsAndItsCleanEndUnlistsIt)
{
    LiveMaster one, two;
    ASSERT_TRUE(one.started && two.started);
    const std::uint16_t port = FreeUdpPort();
    ServerOptions options = ServerThread::EndlessArena(port, "Listed <b>here</b>", 6);
    options.masters = {one.Url(), two.Url()};
    ServerThread server(options, QR_DATA_DIR);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    for (const LiveMaster* master : {&one, &two}) {
        // Sooner than the next regular registration: each challenge was answered.
        ASSERT_TRUE(master->Within(10s, [&] { return !master->Find(port).is_null(); }));
        const nlohmann::json listed = master->Find(port);
        EXPECT_EQ(listed["name"], "Listed <b>here</b>");
        EXPECT_EQ(listed["map"], "Arena");
        EXPECT_EQ(listed["mode"], "dm");
        EXPECT_EQ(listed["seats"], 6);
        EXPECT_EQ(Robots(listed), 2);
    }
    server.Stop();
    for (const LiveMaster* master : {&one, &two})
        EXPECT_TRUE(master->Within(2s, [&] { return master->Find(port).is_null(); }));
}

// Two real programs are listed; the one killed without a word leaves the
// list once silent 30 s (on the master's clock), while the other, still
// registering, stays.
TEST(Registration, AServerKilledHardLeavesTheListAndTheOtherStays)
{
    LiveMaster master;
    ASSERT_TRUE(master.started);
    const std::uint16_t kept = FreeUdpPort();
    const std::uint16_t killed = FreeUdpPort();
    ASSERT_NE(kept, killed);
    ServerProcess keptServer(kept, master.Url());
    ServerProcess killedServer(killed, master.Url());
    ASSERT_TRUE(master.Within(20s, [&] { return !master.Find(kept).is_null() && !master.Find(killed).is_null(); }));
    killedServer.Kill(SIGKILL);

    master.Advance(20000);
    // Fewer robots is news: the kept server registers at once.
    keptServer.Type("/bots 1\n");
    ASSERT_TRUE(master.Within(10s, [&] {
        const nlohmann::json server = master.Find(kept);
        return !server.is_null() && Robots(server) == 1;
    }));
    master.Advance(15000);
    EXPECT_TRUE(master.Within(5s, [&] { return master.Find(killed).is_null(); }));
    EXPECT_FALSE(master.Find(kept).is_null());
}

// A master that takes the connection and never answers costs the game
// nothing: the ticks go on, and the end does not wait on it for long.
TEST(Registration, AMasterThatNeverAnswersLeavesTheTickAlone)
{
    SidecarStandIn silent;
    silent.Answer("");
    ServerOptions options = ServerThread::EndlessArena(FreeUdpPort(), "Patient", 6);
    options.masters = {"http://127.0.0.1:" + std::to_string(silent.Port())};
    ServerThread server(options, QR_DATA_DIR);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    ASSERT_TRUE(silent.WaitForRequests(1));
    std::this_thread::sleep_for(1500ms);
    // A tick that waited on the master would wait its whole call, seconds.
    EXPECT_LT(server.WorstTickGapMicros(), 1000000);
    const auto stopping = Clock::now();
    server.Stop();
    EXPECT_LT(Clock::now() - stopping, 4s);
}
