#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A host name or dotted IPv4 address to its IPv4 address in network order.
// A dotted address needs no lookup; a name's lookup is given at most
// waitMs, so a resolver that does not answer cannot hang the caller.
bool LookUpHost(const std::string& host, std::uint32_t waitMs, std::uint32_t& address, std::string& error);

} // namespace platform
