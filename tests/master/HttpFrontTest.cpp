#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>

#include "master/ServedMaster.h"
#include "server/HttpPeer.h"

namespace {

// Waits up to five seconds for the service to answer in full or hang up.
std::string Answer(HttpPeer& peer, const std::string& until = "")
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        const std::string& got = peer.Take();
        if (peer.ended || (!until.empty() && got.find(until) != std::string::npos))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return peer.received;
}

std::string Post(const std::string& path, const std::string& body)
{
    return "POST " + path + " HTTP/1.1\r\nHost: m\r\nContent-Type: application/json\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

TEST(MasterHttp, RegistersAndServesTheListOverHttp)
{
    ServedMaster served;
    ASSERT_TRUE(served.started);
    HttpPeer first(served.Port());
    ASSERT_TRUE(first.Send(Post("/register", Description().dump())));
    EXPECT_TRUE(Has(Answer(first), "HTTP/1.1 202")) << first.received;

    HttpPeer list(served.Port());
    ASSERT_TRUE(list.Send("GET /servers.json HTTP/1.1\r\nHost: m\r\nAccept-Encoding: deflate, gzip;q=0.5\r\n"
                          "Connection: close\r\n\r\n"));
    const std::string answer = Answer(list);
    for (const char* part : {"HTTP/1.1 200", "Content-Encoding: gzip", "Last-Modified: ", "Age: 0"})
        EXPECT_TRUE(Has(answer, part)) << part << " in " << answer;

    HttpPeer head(served.Port());
    ASSERT_TRUE(head.Send("HEAD / HTTP/1.1\r\nHost: m\r\nConnection: close\r\n\r\n"));
    const std::string headers = Answer(head);
    EXPECT_TRUE(Has(headers, "HTTP/1.1 200")) << headers;
    EXPECT_FALSE(Has(headers, "<html")) << "HEAD has no body";
}

TEST(MasterHttp, RefusesLargeBodiesAndHeadersWithoutReadingThem)
{
    ServedMaster served;
    ASSERT_TRUE(served.started);
    HttpPeer declared(served.Port());
    ASSERT_TRUE(declared.Send("POST /register HTTP/1.1\r\nHost: m\r\nContent-Length: 1000000000\r\n\r\n"));
    EXPECT_TRUE(Has(Answer(declared, "\r\n\r\n"), "HTTP/1.1 413")) << declared.received;

    HttpPeer chunked(served.Port());
    const std::string chunk(8000, 'x');
    std::string request = "POST /register HTTP/1.1\r\nHost: m\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 3; ++i)
        request += "1f40\r\n" + chunk + "\r\n";
    chunked.Send(request);
    EXPECT_FALSE(Has(Answer(chunked), "HTTP/1.1 2")) << chunked.received.substr(0, 200);
    EXPECT_TRUE(chunked.ended) << "a body found too large on its way is cut off";

    HttpPeer header(served.Port());
    header.Send("GET / HTTP/1.1\r\nHost: m\r\nX-Big: " + std::string(40000, 'h') + "\r\n\r\n");
    const std::string refused = Answer(header);
    EXPECT_TRUE(refused.empty() || Has(refused, "HTTP/1.1 4")) << refused.substr(0, 200);
    EXPECT_TRUE(header.ended);
}

TEST(MasterHttp, KeepsItsLimitsOnClients)
{
    HttpFront::Limits limits;
    limits.perAddress = 2;
    limits.idleSeconds = 1;
    ServedMaster served(limits);
    ASSERT_TRUE(served.started);
    HttpPeer one(served.Port()), two(served.Port()), three(served.Port());
    Answer(three);
    EXPECT_TRUE(three.ended) << "a third client from one address is turned away";
    const auto start = std::chrono::steady_clock::now();
    Answer(one);
    EXPECT_TRUE(one.ended) << "a client that sends nothing is dropped";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));

    // A client trickling its head never goes idle, yet has its time in all.
    limits.wholeSeconds = 1;
    ServedMaster timed(limits);
    ASSERT_TRUE(timed.started);
    HttpPeer slow(timed.Port());
    ASSERT_TRUE(slow.Send("GET / HTTP/1.1\r\n"));
    const auto trickled = std::chrono::steady_clock::now();
    while (!slow.ended && std::chrono::steady_clock::now() - trickled < std::chrono::seconds(5)) {
        slow.Send("X-Slow: a\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        slow.Take();
    }
    EXPECT_TRUE(slow.ended);
    EXPECT_LT(std::chrono::steady_clock::now() - trickled, std::chrono::seconds(3));
    // Each is counted: the two idle ones, the trickling one.
    const std::pair<ServedMaster*, std::string> counts[] = {{&served, "2"}, {&timed, "1"}};
    for (const auto& [master, count] : counts) {
        HttpPeer asker(master->Port());
        asker.Send("GET /metrics HTTP/1.1\r\nHost: m\r\n\r\n");
        const std::string line = "quillrock_master_refusals_total{reason=\"slow\"} " + count + "\n";
        EXPECT_NE(Answer(asker, line).find(line), std::string::npos) << asker.received;
    }

    ServedMaster banned({}, BanFile::Read("127.0.0.1\n", [](int, const std::string&) {}));
    ASSERT_TRUE(banned.started);
    HttpPeer outcast(banned.Port());
    outcast.Send("GET / HTTP/1.1\r\nHost: m\r\n\r\n");
    EXPECT_EQ(Answer(outcast), "");
    EXPECT_TRUE(outcast.ended);
}

TEST(MasterHttp, ReadsAcceptEncoding)
{
    struct Case {
        const char* header;
        bool gzip;
    };
    const Case cases[] = {{nullptr, false},          {"", false},           {"gzip", true},
                          {"br, GZIP", true},        {"deflate", false},    {"gzip;q=0", false},
                          {"gzip; q=0.000", false},  {"gzip;q=0.1", true},  {"x-gzip", true},
                          {"gzipped", false}};
    for (const Case& each : cases)
        EXPECT_EQ(HttpFront::AcceptsGzip(each.header), each.gzip) << (each.header ? each.header : "none");
}
