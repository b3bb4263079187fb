#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/HttpService.h"
#include "server/HttpPeer.h"

using platform::HttpRequest;
using platform::HttpService;

namespace {

std::string BodyOf(const std::string& answer)
{
    const std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "(no head)" : answer.substr(end + 4);
}

class HttpServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(service.Listen("127.0.0.1:0", error)) << error;
    }

    // Serves for a moment, letting loopback carry what was sent.
    void Turns(int count, std::uint64_t at)
    {
        for (int turn = 0; turn < count; ++turn) {
            service.Serve(at, handler);
            ::usleep(1000);
        }
    }
    std::string Finish(HttpPeer& peer)
    {
        for (int turn = 0; turn < 6000 && !peer.ended; ++turn) {
            Turns(1, now);
            peer.Take();
        }
        EXPECT_TRUE(peer.ended) << peer.received;
        return peer.received;
    }
    std::string Ask(const std::string& request)
    {
        HttpPeer peer(service.Port());
        EXPECT_TRUE(peer.connected && peer.Send(request));
        return Finish(peer);
    }

    HttpService service;
    std::uint64_t now = 50000;
    int calls = 0;
    std::string metrics = "quillrock_players 3\n";
    HttpService::Handler handler = [this](const HttpRequest& request) {
        ++calls;
        if (request.path != "/metrics")
            return HttpService::Answer {404, "text/plain", "no such page\n"};
        return HttpService::Answer {200, HttpService::Answer().contentType, metrics};
    };
};

TEST_F(HttpServiceTest, AnswersGetAndHeadFromTheHandler)
{
    const std::string got = Ask("GET /metrics?debug=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(got, "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
                   "Content-Length: 20\r\nConnection: close\r\n\r\n" + metrics);
    const std::string head = Ask("HEAD /metrics HTTP/1.0\n\n");
    EXPECT_TRUE(Has(head, "\r\nContent-Length: 20\r\n")) << head;
    EXPECT_EQ(BodyOf(head), "");
    EXPECT_EQ(calls, 2);
    Turns(3, now);
    EXPECT_EQ(service.ClientCount(), 0);
}

TEST_F(HttpServiceTest, RefusesBadHeadsWithoutTheHandler)
{
    const std::string brew = Ask("BREW /metrics HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(Has(brew, "HTTP/1.1 405 Method Not Allowed\r\n") && Has(brew, "\r\nAllow: GET, HEAD\r\n")) << brew;
    // The body is never read, yet the answer arrives whole.
    const std::string post = Ask("POST /metrics HTTP/1.1\r\nContent-Length: 99999\r\n\r\n" + std::string(99999, 'b'));
    EXPECT_TRUE(Has(post, "HTTP/1.1 405")) << post;
    const std::string garbage = Ask("hello there\r\n\r\n");
    EXPECT_TRUE(Has(garbage, "HTTP/1.1 400 Bad Request\r\n")) << garbage;
    const std::string large = Ask("GET /metrics HTTP/1.1\r\nCookie: " + std::string(9000, 'c') + "\r\n\r\n");
    EXPECT_TRUE(Has(large, "HTTP/1.1 431")) << large;
    for (const std::string& answer : {brew, post, garbage, large})
        EXPECT_TRUE(Has(answer, "Content-Length: " + std::to_string(BodyOf(answer).size()) + "\r\n")) << answer;
    EXPECT_EQ(calls, 0);
}

TEST_F(HttpServiceTest, AHeadDribbledInIsAnsweredWhenWhole)
{
    const std::string request = "GET /metrics HTTP/1.1\r\nHost: a\r\n\r\n";
    HttpPeer peer(service.Port());
    for (char c : request.substr(0, request.size() - 1)) {
        ASSERT_TRUE(peer.Send(std::string(1, c)));
        Turns(2, now);
        ASSERT_EQ(peer.Take(), "");
    }
    ASSERT_TRUE(peer.Send("\n"));
    EXPECT_EQ(BodyOf(Finish(peer)), metrics);
}

TEST_F(HttpServiceTest, ClientsOutOfTimeAreDropped)
{
    HttpPeer silent(service.Port());
    Turns(5, now);
    service.Serve(now + HttpService::kClientMs - 1, handler);
    EXPECT_EQ(service.ClientCount(), 1);
    service.Serve(now + HttpService::kClientMs, handler);
    EXPECT_EQ(service.ClientCount(), 0);
    EXPECT_EQ(Finish(silent), "");

    // One that never reads an answer larger than the sockets hold.
    now += HttpService::kClientMs;
    metrics = std::string(8 << 20, 'm');
    HttpPeer stuck(service.Port(), 4096);
    ASSERT_TRUE(stuck.Send("GET /metrics HTTP/1.1\r\n\r\n"));
    Turns(20, now);
    EXPECT_EQ(service.ClientCount(), 1);
    service.Serve(now + HttpService::kClientMs, handler);
    EXPECT_EQ(service.ClientCount(), 0);

    // One that hangs up halfway leaves the process running.
    HttpPeer gone(service.Port(), 4096);
    ASSERT_TRUE(gone.Send("GET /metrics HTTP/1.1\r\n\r\n"));
    Turns(5, now);
    gone.HangUp();
    Turns(20, now);
    EXPECT_EQ(service.ClientCount(), 0);
}

TEST_F(HttpServiceTest, MoreClientsThanPlacesLeaveTheServiceWorking)
{
    std::vector<std::unique_ptr<HttpPeer>> peers;
    for (int i = 0; i < HttpService::kMostClients + 4; ++i)
        peers.push_back(std::make_unique<HttpPeer>(service.Port()));
    Turns(10, now);
    EXPECT_EQ(service.ClientCount(), HttpService::kMostClients);
    int refused = 0;
    for (auto& peer : peers)
        refused += peer->Take().starts_with("HTTP/1.1 503") && peer->ended;
    EXPECT_EQ(refused, 4);
    for (auto& peer : peers) {
        if (!peer->ended && peer->Send("GET /metrics HTTP/1.1\r\n\r\n")) {
            EXPECT_EQ(BodyOf(Finish(*peer)), metrics);
        }
    }
    EXPECT_EQ(calls, HttpService::kMostClients);
    // Answered clients need not hang up: their places are free once they have it all.
    for (int turn = 0; turn < 3000 && service.ClientCount() > 0; ++turn)
        Turns(1, now);
    EXPECT_EQ(BodyOf(Ask("GET /metrics HTTP/1.1\r\n\r\n")), metrics);
}

// Clients that send a head slowly and come back as soon as they are
// dropped hold every place, yet each honest scrape is answered: a newcomer
// takes the place of the client waiting longest on its head.
TEST_F(HttpServiceTest, HonestScrapesGetThroughWhileSlowClientsHoldEveryPlace)
{
    std::vector<std::unique_ptr<HttpPeer>> slow;
    const auto comeBack = [&] {
        for (auto& peer : slow) {
            if (peer->Take(); peer->ended)
                peer = std::make_unique<HttpPeer>(service.Port());
            peer->Send("G");
        }
    };
    // Fewer than the places and the backlog hold, so that no connect waits.
    for (int i = 0; i < HttpService::kMostClients + 8; ++i)
        slow.push_back(std::make_unique<HttpPeer>(service.Port()));
    for (int turn = 0; turn < 3000 && service.ClientCount() < HttpService::kMostClients; ++turn) {
        Turns(1, now);
        comeBack();
    }
    ASSERT_EQ(service.ClientCount(), HttpService::kMostClients);
    int answered = 0;
    for (int scrape = 0; scrape < 12; ++scrape) {
        HttpPeer honest(service.Port());
        ASSERT_TRUE(honest.connected && honest.Send("GET /metrics HTTP/1.1\r\n\r\n"));
        for (int turn = 0; turn < 6000 && !honest.ended; ++turn) {
            Turns(1, now);
            comeBack();
            honest.Take();
        }
        answered += BodyOf(honest.received) == metrics;
    }
    EXPECT_EQ(answered, 12);
}

// Clients that send their request whole and never read the answer hold
// their places no better: the oldest makes room for a scrape.
TEST_F(HttpServiceTest, ClientsThatReadNothingMakeRoomForAScrape)
{
    metrics = std::string(256 << 10, 'm');
    std::vector<std::unique_ptr<HttpPeer>> deaf;
    const auto another = [&] {
        deaf.push_back(std::make_unique<HttpPeer>(service.Port(), 4096));
        deaf.back()->Send("GET /metrics HTTP/1.1\r\n\r\n");
    };
    for (int i = 0; i < HttpService::kMostClients; ++i)
        another();
    for (int turn = 0; turn < 3000 && service.ClientCount() < HttpService::kMostClients; ++turn)
        Turns(1, now);
    ASSERT_EQ(service.ClientCount(), HttpService::kMostClients);
    int answered = 0;
    for (int scrape = 0; scrape < 4; ++scrape) {
        HttpPeer honest(service.Port());
        ASSERT_TRUE(honest.connected && honest.Send("GET /metrics HTTP/1.1\r\n\r\n"));
        for (int turn = 0; turn < 6000 && !honest.ended; ++turn) {
            Turns(1, now);
            honest.Take();
        }
        answered += BodyOf(honest.received) == metrics;
        another();
    }
    EXPECT_EQ(answered, 4);
}

TEST(HttpServiceListen, RefusesTakenPortsAndBadAddresses)
{
    HttpService first;
    HttpService second;
    std::string error;
    ASSERT_TRUE(first.Listen("localhost:0", error)) << error;
    EXPECT_FALSE(first.Listen("localhost:0", error));
    EXPECT_FALSE(second.Listen("127.0.0.1:" + std::to_string(first.Port()), error));
    EXPECT_TRUE(Has(error, "in use")) << error;
    EXPECT_FALSE(second.Listen("localhost", error));
    EXPECT_TRUE(Has(error, "ADDRESS:PORT")) << error;
    EXPECT_EQ(second.Port(), 0);

    platform::ListenAddress address;
    ASSERT_TRUE(platform::ParseListenAddress("10.20.0.255:65535", address, error)) << error;
    EXPECT_EQ(std::pair(address.ipv4, address.port), std::pair(0x0a1400ffu, std::uint16_t {65535}));
    ASSERT_TRUE(platform::ParseListenAddress("0.0.0.0:0", address, error)) << error;
    EXPECT_EQ(std::pair(address.ipv4, address.port), std::pair(0u, std::uint16_t {0}));
    for (const char* bad : {"", "9100", "127.0.0.1", "127.0.0.1:", ":9100", "127.0.0.1:65536", "127.0.0.1:-1",
                            "127.0.0.1:91x", "127.0.0.1: 9100", "127.0.0.1:09100", "256.1.1.1:1", "1.2.3:1",
                            "1.2.3.4.5:1", "01.2.3.4:1", "1..3.4:1", "metrics.example:1", "[::1]:9100"}) {
        error.clear();
        EXPECT_FALSE(platform::ParseListenAddress(bad, address, error) || error.empty()) << bad;
    }
}

} // namespace
