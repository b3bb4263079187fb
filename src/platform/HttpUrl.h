#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A plain-HTTP address "http://HOST[:PORT][/PATH]", as the internet list's
// masters are named by the game server and the player's program alike.
struct HttpUrl {
    std::string text; // as written, for the log
    std::string host; // a name or a dotted IPv4 address
    std::uint16_t port = 80;
    std::string path; // without the slash at its end; empty at the root

    // What the Host header says: the host, and its port unless 80.
    std::string HostHeader() const;

    // Nothing, and why in words that follow the address, for another
    // scheme (https is not spoken), a query, user or fragment, no host, a
    // host that is no name, or a port outside 1 to 65535.
    static std::optional<HttpUrl> Parse(const std::string& text, std::string& why);
};

} // namespace platform
