#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/HostLookup.h"
#include "platform/TypedAddress.h"

namespace {

TEST(TypedAddress, HostAndPortAsTypedOrAReasonWhyNotAndTheirLookUp)
{
    const struct {
        const char* typed;
        const char* host; // null: refused, and error holds this
        int port;
        const char* error;
    } cases[] = {
        {"example.org", "example.org", 3001, ""},
        {"  10.0.0.7:4000 ", "10.0.0.7", 4000, ""},
        {"my-box : 65535", "my-box", 65535, ""},
        {"host:0", nullptr, 0, "the port \"0\" is not a number from 1 to 65535"},
        {"host:65536", nullptr, 0, "the port \"65536\" is not a number from 1 to 65535"},
        {"host:30x1", nullptr, 0, "the port \"30x1\" is not a number from 1 to 65535"},
        {"a:1:2", nullptr, 0, "the port \"1:2\" is not a number from 1 to 65535"},
        {":3001", nullptr, 0, "no host is named before the port"},
        {"   ", nullptr, 0, "no host is named"},
        {"bad host", nullptr, 0, "\"bad host\" is not a host name or address"},
    };
    for (const auto& c : cases) {
        platform::TypedAddress address;
        std::string error;
        const bool read = platform::ParseTypedAddress(c.typed, 3001, address, error);
        EXPECT_EQ(read, c.host != nullptr) << c.typed;
        if (c.host)
            EXPECT_EQ(std::tuple(address.host, int(address.port)), std::tuple(std::string(c.host), c.port)) << c.typed;
        else
            EXPECT_EQ(error, c.error) << c.typed;
    }

    // A dotted address is read without a lookup; what a name that cannot be
    // found says is the network client's search test's.
    std::uint32_t address = 0;
    std::string error;
    ASSERT_TRUE(platform::LookUpHost("127.0.0.1", 0, address, error));
    EXPECT_EQ(address, 0x0100007Fu);
}

} // namespace
