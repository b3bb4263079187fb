#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "server/HttpPeer.h"
#include "server/engine/ServedGame.h"
#include "support/SidecarStandIn.h"

namespace {

// The server as operators and fleets watch it: its metrics page over real
// HTTP, and the calls it makes to a stand-in of the Agones SDK sidecar,
// while the player's real client plays.
class WatchedServer : public ServedGame {
protected:
    WatchedServer() : ServedGame(48000, "Watched Server") {}
    std::uint16_t MetricsPort() const { return static_cast<std::uint16_t>(port + 1); }

    ServerOptions Options() const
    {
        ServerOptions options = ServerThread::EndlessArena(port, name, 4);
        options.metrics = "127.0.0.1:" + std::to_string(MetricsPort());
        return options;
    }

    // The page, head and all, as a scraper reads it.
    std::string Get(const char* path) const
    {
        HttpPeer peer(MetricsPort());
        peer.Send(std::string("GET ") + path + " HTTP/1.1\r\nHost: test\r\n\r\n");
        for (int wait = 0; wait < 5000 && peer.connected && !peer.ended; ++wait) {
            peer.Take();
            ::usleep(1000);
        }
        return peer.received;
    }
};

TEST_F(WatchedServer, TheMetricsPageShowsTheGameAndAnAgonesSidecarHearsOfItInOrder)
{
    SidecarStandIn sidecar;
    ::setenv("AGONES_SDK_HTTP_PORT", std::to_string(sidecar.Port()).c_str(), 1);
    ServerOptions options = Options();
    options.agones = true;
    StartServer(options);
    ::unsetenv("AGONES_SDK_HTTP_PORT");
    ASSERT_TRUE(Join());
    ASSERT_TRUE(WorkUntil([&] { return Has(Get("/metrics"), "\nquillrock_players 1\n"); }));
    const std::string page = Get("/metrics");
    EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << page;
    for (const char* figure : {"\nquillrock_robots 2\n", "\nquillrock_map_info{map=\"Arena\"} 1\n",
                               "\nquillrock_mode_info{mode=\"dm\"} 1\n",
                               "\nquillrock_round_seconds_left -1\n", "\nquillrock_tick_seconds{quantile=\"0.99\"} ",
                               "\nquillrock_drops_total{reason=\"garbage\"} 0\n", "\nquillrock_bans_refused_total 0\n",
                               "\nquillrock_map_downloads_started_total 0\n",
                               "\n# TYPE quillrock_sent_bytes_total counter\n"})
        EXPECT_TRUE(Has(page, figure)) << figure << " in\n" << page;
    EXPECT_FALSE(Has(page, "\nquillrock_received_payloads_total 0\n")) << "the player's keys came in";
    EXPECT_EQ(Get("/").rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u);

    EXPECT_TRUE(WorkUntil([&] { return sidecar.Requests().size() >= 4; }, 12000));
    server->Stop();
    ASSERT_TRUE(sidecar.WaitForRequests(5));
    using Call = std::pair<std::string, std::string>;
    const std::vector<Call> calls = sidecar.Calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(std::vector(calls.begin(), calls.begin() + 4),
              (std::vector<Call>{{"PUT /alpha/player/capacity", R"({"count":"4"})"}, {"POST /ready", "{}"},
                                 {"POST /alpha/player/connect", R"({"playerID":"1 Pilot"})"}, {"POST /health", "{}"}}))
        << "health after 2 s";
    EXPECT_EQ(calls.back(), Call("POST /shutdown", "{}"));
}

} // namespace
