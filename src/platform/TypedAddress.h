#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// An address as a player types it: "host" or "host:port", the host a name
// or a dotted IPv4 address, spaces around it ignored.
struct TypedAddress {
    std::string host;
    std::uint16_t port = 0;
};

// The typed text read with the port it names, or defaultPort; false with a
// reason a player can act on when the text is no address.
bool ParseTypedAddress(std::string_view text, std::uint16_t defaultPort, TypedAddress& out, std::string& error);

} // namespace platform
