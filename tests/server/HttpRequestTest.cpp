#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/HttpRequest.h"

using platform::HttpParse;
using platform::HttpRequest;
using platform::kHttpHeadLimit;
using platform::ParseHttpRequest;

namespace {

HttpParse Parse(std::string_view bytes)
{
    HttpRequest request;
    return ParseHttpRequest(bytes, request);
}

TEST(HttpRequest, ReadsTheRequestLineWithEitherLineEnd)
{
    for (const std::string head : {"GET /metrics?name[]=a HTTP/1.1\r\nHost: x:9100\r\nAccept: */*\r\n\r\n",
                                   "GET /metrics?name[]=a HTTP/1.0\nHost: x:9100\nAccept:\n\n"}) {
        HttpRequest request;
        // A body or a second request after the head is not the head's.
        ASSERT_EQ(ParseHttpRequest(head + "POST / HTTP/1.1\r\nno header\r\n", request), HttpParse::Done) << head;
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.target, "/metrics?name[]=a");
        EXPECT_EQ(request.path, "/metrics");
        // Every part of the head is only the start of one.
        for (std::size_t size = 0; size < head.size(); ++size)
            EXPECT_EQ(Parse(std::string_view(head).substr(0, size)), HttpParse::Incomplete) << size;
    }
    HttpRequest request;
    ASSERT_EQ(ParseHttpRequest("delete / HTTP/1.1\r\n\r\n", request), HttpParse::Done);
    EXPECT_EQ(request.method, "delete");
    EXPECT_EQ(request.path, "/");
}

TEST(HttpRequest, RefusesWhatIsNoRequest)
{
    const std::vector<std::string> bad = {
        "\r\n",
        "GET\r\n\r\n",
        "GET /\r\n\r\n",
        "G3T / HTTP/1.1\r\n\r\n",
        "GET metrics HTTP/1.1\r\n\r\n",
        "GET http://x/metrics HTTP/1.1\r\n\r\n",
        "GET  / HTTP/1.1\r\n\r\n",
        "GET / HTTP/1.1 \r\n\r\n",
        "GET / HTTP/2.0\r\n\r\n",
        "GET / http/1.1\r\n\r\n",
        "GET /a\tb HTTP/1.1\r\n\r\n",
        "GET / HTTP/1.1\r\r\n\r\n",
        "GET / HTTP/1.1\r\nNoColon\r\n\r\n",
        "GET / HTTP/1.1\r\n: no name\r\n\r\n",
        "GET / HTTP/1.1\r\nHost : x\r\n\r\n",
        "GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n",
        "GET / HTTP/1.1\r\nA: b\rc\r\n\r\n",
        std::string("GET / HTTP/1.1\r\nA: \0\r\n\r\n", 24),
        // Binary is refused before its line ends.
        std::string("\x16\x03\x01\x02\x00\x01", 6),
        std::string(17, 'A') + " / HTTP/1.1\n\n",
    };
    for (const std::string& head : bad)
        EXPECT_EQ(Parse(head), HttpParse::Bad) << head;
}

TEST(HttpRequest, AHeadIsAtMostTheLimitEvenUnfinished)
{
    const std::string line = "GET / HTTP/1.1\r\n";
    const auto padded = [&](std::size_t size) {
        const std::string header = "X: " + std::string(size - line.size() - 7, 'v') + "\r\n";
        return line + header + "\r\n";
    };
    ASSERT_EQ(padded(kHttpHeadLimit).size(), kHttpHeadLimit);
    EXPECT_EQ(Parse(padded(kHttpHeadLimit)), HttpParse::Done);
    EXPECT_EQ(Parse(padded(kHttpHeadLimit + 1)), HttpParse::TooLarge);
    EXPECT_EQ(Parse(line + std::string(kHttpHeadLimit, 'v')), HttpParse::TooLarge);
    EXPECT_EQ(Parse(std::string(kHttpHeadLimit + 1, 'G')), HttpParse::TooLarge);
    EXPECT_EQ(Parse(std::string(kHttpHeadLimit, 'G')), HttpParse::Incomplete);
}

} // namespace
