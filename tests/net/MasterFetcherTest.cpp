#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <zlib.h>

#include "net/MasterFetcher.h"
#include "net/ServerListing.h"
#include "support/SidecarStandIn.h"

namespace {

std::string Url(std::uint16_t port)
{
    return "http://localhost:" + std::to_string(port);
}

std::string Ok(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

const std::string kOneServer =
    R"({"servers": [{"name": "Friday Night", "address": "127.0.0.1:3001", "map": "Arena", "mode": "dm",
        "players": [{"name": "Ace", "score": 4, "robot": true}], "seats": 8, "version": "0.9.0"}]})";

std::string Gzip(const std::string& text)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

std::string ToHex(std::size_t value)
{
    char text[20];
    std::snprintf(text, sizeof text, "%zx", value);
    return text;
}

std::string OkGzip(const std::string& packed)
{
    return "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + std::to_string(packed.size()) +
           "\r\n\r\n" + packed;
}

MasterFetcher::Outcome Fetch(MasterFetcher& fetcher)
{
    fetcher.Start();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        if (auto outcome = fetcher.Take())
            return *outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "the fetch never ended";
    return {};
}

} // namespace

TEST(MasterFetcher, FallsBackFromADeadMasterToTheNext)
{
    SidecarStandIn master;
    master.Answer(Ok(kOneServer));
    MasterFetcher fetcher({Url(SidecarStandIn::FreePort()), Url(master.Port())});
    const auto outcome = Fetch(fetcher);
    ASSERT_TRUE(outcome.listed) << outcome.notice;
    ASSERT_EQ(outcome.servers.size(), 1u);
    EXPECT_EQ(outcome.servers[0].name, "Friday Night");
    EXPECT_NE(outcome.notice.find(Url(master.Port())), std::string::npos) << outcome.notice;
    ASSERT_EQ(master.Calls().size(), 1u);
    EXPECT_EQ(master.Calls()[0].first, "GET /servers.json");
    EXPECT_NE(master.Requests()[0].first.find("Accept-Encoding: gzip"), std::string::npos);
    EXPECT_NE(master.Requests()[0].first.find("\r\nHost: localhost:" + std::to_string(master.Port()) + "\r\n"),
              std::string::npos)
        << "the URL's host, not the address it was found at";

    master.Answer(OkGzip(Gzip(kOneServer)));
    const auto packed = Fetch(fetcher);
    ASSERT_TRUE(packed.listed) << packed.notice;
    EXPECT_EQ(packed.servers.size(), 1u);

    // In chunks cut anywhere, packed or not.
    for (const std::string& body : {kOneServer, Gzip(kOneServer)}) {
        std::string chunked;
        for (std::size_t at = 0; at < body.size(); at += 7)
            chunked += ToHex(std::min<std::size_t>(7, body.size() - at)) + "\r\n" + body.substr(at, 7) + "\r\n";
        master.Answer(std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n") +
                      (body == kOneServer ? "" : "Content-Encoding: gzip\r\n") + "\r\n" + chunked + "0\r\n\r\n");
        const auto inChunks = Fetch(fetcher);
        ASSERT_TRUE(inChunks.listed) << inChunks.notice;
        EXPECT_EQ(inChunks.servers.size(), 1u);
    }
}

std::string OkAged(const std::string& body, const std::string& dating)
{
    return "HTTP/1.1 200 OK\r\n" + dating + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Every master is asked, and the freshest list wins wherever its master
// stands in the order; a master silent until its time runs out costs only
// its own list.
TEST(MasterFetcher, TakesTheFreshestListOfEveryMasterThatAnswers)
{
    const std::string other = R"({"servers": []})";
    SidecarStandIn stale, fresh, silent;
    stale.Answer(OkAged(other, "Age: 40"));
    fresh.Answer(OkAged(kOneServer, "Age: 1"));
    silent.Answer("");
    MasterFetcher fetcher({Url(stale.Port()), Url(silent.Port()), Url(fresh.Port())}, 1000);
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = Fetch(fetcher);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << "the masters are asked side by side";
    ASSERT_TRUE(outcome.listed) << outcome.notice;
    EXPECT_EQ(outcome.servers.size(), 1u);
    EXPECT_EQ(outcome.notice, "1 servers from " + Url(fresh.Port()));
    EXPECT_EQ(stale.Calls().size(), 1u);

    // Dated by Last-Modified alone, and with no date at all: the dated one.
    stale.Answer(OkAged(other, "Last-Modified: Mon, 30 Nov 2026 00:53:20 GMT"));
    fresh.Answer(OkAged(kOneServer, "Last-Modified: Mon, 30 Nov 2026 00:53:21 GMT"));
    MasterFetcher byDate({Url(stale.Port()), Url(fresh.Port())});
    EXPECT_EQ(Fetch(byDate).notice, "1 servers from " + Url(fresh.Port()));
    stale.Answer(Ok(other));
    MasterFetcher undated({Url(stale.Port()), Url(fresh.Port())});
    EXPECT_EQ(Fetch(undated).notice, "1 servers from " + Url(fresh.Port()));
}

TEST(MasterFetcher, DatesAListByItsAgeOrElseItsLastModified)
{
    EXPECT_EQ(MasterFetcher::MadeAt(5, "mon, 30 nov 2026 00:53:20 gmt", 1000), 995) << "our own clock first";
    EXPECT_EQ(MasterFetcher::MadeAt(-1, "mon, 30 nov 2026 00:53:20 gmt", 0), 1796000000);
    EXPECT_EQ(MasterFetcher::MadeAt(-1, "", 1000), std::nullopt);
    EXPECT_EQ(MasterFetcher::MadeAt(-1, "yesterday", 1000), std::nullopt);
}

TEST(MasterFetcher, RefusesGarbageHugeAndSlowAnswersWithAReason)
{
    struct Case {
        std::string answer;
        const char* reason;
    };
    const Case cases[] = {
        {Ok("<html>not a list</html>"), "not a server list"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n{", "closed before"},
        {"HTTP/1.1 200 OK\r\n\r\n" + std::string(9 * 1024 * 1024, ' '), "not a server list"},
        {"HTTP/1.1 200 OK\r\nContent-Encoding: br\r\nContent-Length: 2\r\n\r\n{}", "encoded"},
        {OkGzip(Gzip(std::string(9 * 1024 * 1024, ' '))), "not a server list"}, // small on the wire
        {OkGzip(Gzip(kOneServer).substr(0, 30)), "damaged or cut short"},
        {OkGzip("{}"), "damaged or cut short"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n800001\r\n{", "not a server list"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n{}\r\n0\r\n\r\n", "chunks are damaged"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n", "encoded"},
        {"HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n\r\n", "status 503"},
        {"garbage\r\n\r\n", "not HTTP"},
        {"", "in time"}, // the stand-in holds the connection
    };
    for (const Case& c : cases) {
        SidecarStandIn master;
        master.Answer(c.answer);
        // Only the silent master is waited out; the others are refused at once.
        const bool silent = c.answer.empty();
        MasterFetcher fetcher({Url(master.Port())}, silent ? 300 : MasterFetcher::kTimeoutMs);
        const auto outcome = Fetch(fetcher);
        EXPECT_FALSE(outcome.listed);
        EXPECT_EQ(outcome.notice.rfind("No master answered", 0), 0u) << outcome.notice;
        EXPECT_NE(outcome.notice.find(c.reason), std::string::npos) << outcome.notice;
    }
}

TEST(MasterFetcher, SaysHowToSetAMaster)
{
    MasterFetcher none({});
    EXPECT_NE(Fetch(none).notice.find("--master"), std::string::npos);
}

TEST(MasterFetcher, EndsAFetchOnItsWayWhenDestroyed)
{
    SidecarStandIn master;
    master.Answer(""); // never answers
    const auto start = std::chrono::steady_clock::now();
    {
        MasterFetcher fetcher({Url(master.Port())});
        fetcher.Start();
        ASSERT_TRUE(master.WaitForRequests(1));
        EXPECT_TRUE(fetcher.Busy());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(MasterFetcher::kTimeoutMs / 1000));
}

// A list past what is read still lists the servers before the cut, packed
// or not, and the screen says it was cut.
TEST(MasterFetcher, ListsTheServersBeforeTheCutOfAHugeList)
{
    const std::string entry = R"({"name": ")" + std::string(1000, 'n') +
                              R"(", "address": "127.0.0.1:3001", "players": [], "seats": 8},)";
    std::string huge = R"({"servers": [)";
    while (huge.size() < 10 * 1024 * 1024)
        huge += entry;
    huge.back() = ']';
    huge += "}";
    const std::size_t whole = ServerListing::kLargestDocument / entry.size();
    for (const std::string& answer : {Ok(huge), OkGzip(Gzip(huge))}) {
        SidecarStandIn master;
        master.Answer(answer);
        MasterFetcher fetcher({Url(master.Port())});
        const auto outcome = Fetch(fetcher);
        ASSERT_TRUE(outcome.listed) << outcome.notice;
        EXPECT_EQ(outcome.servers.size(), whole);
        EXPECT_EQ(outcome.notice,
                  std::to_string(whole) + " servers from " + Url(master.Port()) + " (the first 8 MB of its list)");
    }
}
