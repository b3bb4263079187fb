#include <gtest/gtest.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/HttpClient.h"
#include "server/HttpPeer.h"
#include "server/engine/AgonesSdk.h"
#include "support/SidecarStandIn.h"

namespace {

using namespace std::chrono_literals;
// "POST /ready" and the body.
using Calls = std::vector<std::pair<std::string, std::string>>;

// Patience in milliseconds instead of seconds.
AgonesTiming Quick()
{
    AgonesTiming timing;
    timing.callTimeout = 500ms;
    timing.firstRetry = 5ms;
    timing.longestRetry = 20ms;
    return timing;
}

TEST(AgonesSdk, CallsArriveInTheOrderMadeWithTheirBodies)
{
    SidecarStandIn sidecar;
    AgonesSdk sdk(sidecar.Port(), Quick());
    sdk.SetCapacity(16);
    sdk.Ready();
    sdk.Health();
    sdk.PlayerConnected("Ann #2");
    sdk.PlayerDisconnected("Ann #2");
    sdk.PlayerConnected("Say \"hi\" \\o/\t\xe9");
    sdk.Shutdown(2s);
    EXPECT_EQ(sidecar.Calls(), (Calls{{"PUT /alpha/player/capacity", R"({"count":"16"})"},
                                        {"POST /ready", "{}"},
                                        {"POST /health", "{}"},
                                        {"POST /alpha/player/connect", R"({"playerID":"Ann #2"})"},
                                        {"POST /alpha/player/disconnect", R"({"playerID":"Ann #2"})"},
                                        {"POST /alpha/player/connect", R"({"playerID":"Say \"hi\" \\o/\u0009\u00e9"})"},
                                        {"POST /shutdown", "{}"}}));
    EXPECT_TRUE(Has(sidecar.Requests()[0].first, "\r\nContent-Type: application/json\r\n"));
    EXPECT_TRUE(sdk.TakeLogLines().empty());
}

TEST(AgonesSdk, RefusedPlayerCallsAreTriedAgainThenNoMoreAreMadeButReadyIsTriedUntilTaken)
{
    SidecarStandIn sidecar;
    sidecar.Answer("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
    AgonesSdk sdk(sidecar.Port(), Quick());
    sdk.PlayerConnected("Bo");
    sdk.Ready();
    ASSERT_TRUE(sidecar.WaitForRequests(8));
    sidecar.Answer("HTTP/1.0 200 OK\r\n\r\n{}");
    sdk.PlayerConnected("Cy");
    sdk.Shutdown(2s);
    const Calls calls = sidecar.Calls();
    ASSERT_GE(calls.size(), 9u);
    for (std::size_t i = 0; i + 1 < calls.size(); ++i)
        EXPECT_EQ(calls[i].first, i < 3 ? "POST /alpha/player/connect" : "POST /ready") << i;
    EXPECT_EQ(calls.back().first, "POST /shutdown");
    const std::vector<std::string> lines = sdk.TakeLogLines();
    ASSERT_EQ(lines.size(), 3u) << "nothing about Ready left out";
    EXPECT_TRUE(Has(lines[0], "refuses POST /alpha/player/connect (HTTP 500); trying again")) << lines[0];
    EXPECT_TRUE(Has(lines[1], "refused POST /alpha/player/connect 3 times (HTTP 500); players are no longer told"))
        << lines[1];
    EXPECT_EQ(lines[2], "agones: the SDK sidecar takes calls again");
}

// One line says the sidecar fails, however often it is tried; health is
// not piled up while one waits, and goes before the player events that
// wait, of which a full queue leaves out the oldest.
TEST(AgonesSdk, ASidecarThatStartsLateHearsReadyOneHealthAndTheNewestPlayerEvents)
{
    const std::uint16_t port = SidecarStandIn::FreePort();
    AgonesTiming timing = Quick();
    timing.mostQueued = 3;
    AgonesSdk sdk(port, timing);
    sdk.Ready();
    // Once Ready fails it is being tried, no longer in the queue.
    std::vector<std::string> lines;
    for (int wait = 0; wait < 600 && lines.empty(); ++wait) {
        std::this_thread::sleep_for(5ms);
        lines = sdk.TakeLogLines();
    }
    for (const char* name : {"a", "b", "c", "d", "e"})
        sdk.PlayerConnected(name);
    for (int beat = 0; beat < 20; ++beat) {
        sdk.Health();
        std::this_thread::sleep_for(5ms);
    }
    for (const std::string& line : sdk.TakeLogLines())
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u) << "none for each try";
    EXPECT_TRUE(Has(lines[0], "does not answer (connection refused); trying again in 5 ms")) << lines[0];
    EXPECT_TRUE(Has(lines[1], "3 calls wait for the SDK sidecar; the oldest player events are left out")) << lines[1];
    SidecarStandIn sidecar(port);
    ASSERT_TRUE(sidecar.WaitForRequests(4));
    sdk.Shutdown(2s);
    EXPECT_EQ(sidecar.Calls(), (Calls{{"POST /ready", "{}"},
                                        {"POST /health", "{}"},
                                        {"POST /alpha/player/connect", R"({"playerID":"d"})"},
                                        {"POST /alpha/player/connect", R"({"playerID":"e"})"},
                                        {"POST /shutdown", "{}"}}));
    EXPECT_EQ(sdk.TakeLogLines(),
              std::vector<std::string>{"agones: the SDK sidecar answers again; 3 player events were left out meanwhile"});
}

TEST(AgonesSdk, ShutdownWaitsNoLongerThanItsWait)
{
    SidecarStandIn silent;
    silent.Answer("");
    for (const std::uint16_t port : {silent.Port(), SidecarStandIn::FreePort()}) {
        AgonesTiming timing = Quick();
        timing.callTimeout = 10s;
        const auto start = std::chrono::steady_clock::now();
        {
            AgonesSdk sdk(port, timing);
            sdk.Ready();
            sdk.Shutdown(100ms);
            const std::vector<std::string> lines = sdk.TakeLogLines();
            ASSERT_FALSE(lines.empty());
            EXPECT_TRUE(Has(lines.back(), "was not told 2 last calls before the end")) << lines.back();
        }
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, 100ms);
        EXPECT_LT(took, 1s) << "the call under way is cut short too";
    }
}

TEST(AgonesSdk, ThePortComesFromTheEnvironment)
{
    std::string error;
    for (const auto& [given, port] : {std::pair<const char*, int>(nullptr, 9358), {"", 9358}, {"65535", 65535}})
        EXPECT_EQ(AgonesSdk::PortFromEnvironment(given, error), port) << (given ? given : "unset");
    EXPECT_EQ(error, "");
    for (const char* wrong : {"0", "65536", "99999999999999999999", "80a", "-1", " 80"}) {
        EXPECT_EQ(AgonesSdk::PortFromEnvironment(wrong, error), std::nullopt) << wrong;
        EXPECT_EQ(error, std::string("AGONES_SDK_HTTP_PORT is \"") + wrong + "\", not a port from 1 to 65535");
    }
}

std::string Answered(SidecarStandIn& server, std::string answer, int timeoutMs = 2000, int cancelFd = -1)
{
    server.Answer(std::move(answer));
    const platform::HttpReply reply =
        platform::HttpCall("127.0.0.1", server.Port(), "POST", "/ready", "{}", timeoutMs, cancelFd);
    return reply.status ? std::to_string(reply.status) : reply.error;
}

TEST(AgonesHttpCall, TheStatusOrWhyThereIsNone)
{
    SidecarStandIn server;
    EXPECT_EQ(Answered(server, "HTTP/1.1 404 Not Found\r\n\r\n"), "404");
    // Endless: only the bound is read, and the answer still counts.
    EXPECT_EQ(Answered(server, "HTTP/1.1 200 OK\r\n\r\n" + std::string(1 << 20, 'x')), "200");
    for (const char* garbage : {"SSH-2.0-OpenSSH_9.2\r\n", "HTTP/1.1 2x0 OK\r\n", "HTTP/1.1 200OK\r\n", "HTTP/1.1 099 Low\r\n"})
        EXPECT_EQ(Answered(server, garbage), "the answer is not HTTP") << garbage;
    EXPECT_EQ(Answered(server, std::string(100000, 'H')), "the answer is not HTTP");
    EXPECT_EQ(Answered(server, "HTTP/1.1 20"), "the connection closed without an answer");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Answered(server, "", 100), "no answer in time");
    const int cancel = ::eventfd(1, EFD_CLOEXEC);
    EXPECT_EQ(Answered(server, "", 10000, cancel), "cancelled");
    ::close(cancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(platform::HttpCall("127.0.0.1", SidecarStandIn::FreePort(), "POST", "/", "{}", 100).error,
              "connection refused");
    EXPECT_EQ(platform::HttpCall("localhost", 80, "POST", "/", "{}", 100).error, "\"localhost\" is not an IPv4 address");
}

} // namespace
