#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "server/engine/ServedGame.h"

namespace {

// The server program itself, its standard input a pipe that the test
// types into as an operator would, and the player's real network client
// joining it over loopback.
class PipedServer : public ServedGame {
protected:
    PipedServer() : ServedGame(46000, "Piped Server") {}

    void TearDown() override
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (input >= 0)
            ::close(input);
        ServedGame::TearDown();
    }

    void Start()
    {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        const std::string portText = std::to_string(port);
        pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int out = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(ends[0], 0);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::close(ends[1]);
            ::execl(QR_SERVER_BINARY, QR_SERVER_BINARY, "--data", QR_DATA_DIR, "--port", portText.c_str(), "--name",
                    name, "--maps", "Arena,Warren", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ends[0]);
        input = ends[1];
        ASSERT_TRUE(WorkUntil([&] { return Logged("hosting"); }, 15000)) << Log();
    }

    // A blocking pipe takes it whole.
    void Type(const std::string& bytes) const
    {
        ASSERT_EQ(::write(input, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    std::string Log() const { return FileText(logPath); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }

    TempDir dir;
    std::string logPath = dir.Path() + "/server.log";
    pid_t pid = -1;
    int input = -1;
};

TEST_F(PipedServer, WhatIsTypedIntoItsInputIsRunGarbageIsAnsweredAndAHaltEndsItCleanly)
{
    Start();
    ASSERT_TRUE(Join());

    // A binary line, then one line larger than the pipe holds: answered,
    // and the game goes on with the next line.
    Type(std::string("\x00\xff\x1b garbage\n", 12));
    Type(std::string(200000, 'x') + "\n/say still here\n");
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Server: still here"); })) << Log();
    EXPECT_TRUE(Logged("A console line longer than 4096 bytes is refused.")) << Log();

    Type("/halt\n");
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); })) << Log();
    int status = -1;
    const pid_t ended = std::exchange(pid, -1);
    ASSERT_EQ(::waitpid(ended, &status, 0), ended);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(Logged("the operator halts the server")) << Log();
}

} // namespace
