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

// What is no request is refused, binary before its line ends, and a head
// is at most the limit even unfinished.
TEST(HttpRequest, RefusesWhatIsNoRequestAndAHeadOverTheLimit)
{
    using enum HttpParse;
    const std::string line = "GET / HTTP/1.1\r\n";
    const auto padded = [&](std::size_t size) {
        return line + "X: " + std::string(size - line.size() - 7, 'v') + "\r\n\r\n";
    };
    ASSERT_EQ(padded(kHttpHeadLimit).size(), kHttpHeadLimit);
    const std::pair<std::string, HttpParse> cases[] = {
        {"\r\n", Bad},
        {"GET\r\n\r\n", Bad},
        {"GET /\r\n\r\n", Bad},
        {"G3T / HTTP/1.1\r\n\r\n", Bad},
        {"GET metrics HTTP/1.1\r\n\r\n", Bad},
        {"GET http://x/metrics HTTP/1.1\r\n\r\n", Bad},
        {"GET  / HTTP/1.1\r\n\r\n", Bad},
        {"GET / HTTP/1.1 \r\n\r\n", Bad},
        {"GET / HTTP/2.0\r\n\r\n", Bad},
        {"GET / http/1.1\r\n\r\n", Bad},
        {"GET /a\tb HTTP/1.1\r\n\r\n", Bad},
        {"GET / HTTP/1.1\r\r\n\r\n", Bad},
        {"GET / HTTP/1.1\r\nNoColon\r\n\r\n", Bad},
        {"GET / HTTP/1.1\r\n: no name\r\n\r\n", Bad},
        {"GET / HTTP/1.1\r\nHost : x\r\n\r\n", Bad},
        {"GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n", Bad},
        {"GET / HTTP/1.1\r\nA: b\rc\r\n\r\n", Bad},
        {std::string("GET / HTTP/1.1\r\nA: \0\r\n\r\n", 24), Bad},
        {std::string("\x16\x03\x01\x02\x00\x01", 6), Bad},
        {std::string(17, 'A') + " / HTTP/1.1\n\n", Bad},
        {padded(kHttpHeadLimit), Done},
        {padded(kHttpHeadLimit + 1), TooLarge},
        {line + std::string(kHttpHeadLimit, 'v'), TooLarge},
        {std::string(kHttpHeadLimit + 1, 'G'), TooLarge},
        {std::string(kHttpHeadLimit, 'G'), Incomplete},
    };
    for (const auto& [head, parsed] : cases)
        EXPECT_EQ(Parse(head), parsed) << head.substr(0, 60);
}

} // namespace
