#include <gtest/gtest.h>

#include <tuple>

#include "platform/HttpUrl.h"

using platform::HttpUrl;

TEST(HttpUrl, TakesHostPortAndPathAndNamesTheHostAsWritten)
{
    std::string why;
    const auto url = HttpUrl::Parse("http://master.example:8300/quillrock/", why);
    ASSERT_TRUE(url) << why;
    EXPECT_EQ(std::tuple(url->host, url->port, url->path),
              std::tuple(std::string("master.example"), std::uint16_t{8300}, std::string("/quillrock")));
    EXPECT_EQ(url->HostHeader(), "master.example:8300");
    const auto bare = HttpUrl::Parse("http://10.1.2.3", why);
    ASSERT_TRUE(bare) << why;
    EXPECT_EQ(std::tuple(bare->host, bare->port, bare->path),
              std::tuple(std::string("10.1.2.3"), std::uint16_t{80}, std::string()));
    EXPECT_EQ(bare->HostHeader(), "10.1.2.3") << "port 80 goes unsaid";
}

TEST(HttpUrl, SaysWhyAnAddressIsRefused)
{
    const std::pair<const char*, const char*> cases[] = {
        {"https://a.example", "is not an http:// address"},
        {"a.example:8300", "is not an http:// address"},
        {"http://:8300", "names no host"},
        {"http://a_b.example", "names no host by name or IPv4 address"},
        {"http://[::1]:8300", "names no host by name or IPv4 address"},
        {"http://a.example:", "names no port from 1 to 65535"},
        {"http://a.example:0", "names no port from 1 to 65535"},
        {"http://a.example:65536", "names no port from 1 to 65535"},
        {"http://a.example:x", "names no port from 1 to 65535"},
        {"http://user@a.example", "carries a space, control byte, query, user or fragment"},
        {"http://a.example/a b", "carries a space, control byte, query, user or fragment"},
        {"http://a.example/list?x=1", "carries a space, control byte, query, user or fragment"},
    };
    for (const auto& [text, reason] : cases) {
        std::string why;
        EXPECT_FALSE(HttpUrl::Parse(text, why)) << text;
        EXPECT_EQ(why, reason) << text;
    }
}
