#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Where a master of the internet list is: "http://HOST[:PORT][/PATH]".
// Its requests go to PATH/register and PATH/unregister.
struct MasterUrl {
    std::string text; // as the operator wrote it, for the log
    std::string host;
    std::uint16_t port = 80;
    std::string path; // without the slash at its end; empty at the root

    // Nothing for another scheme (https is not spoken), no host or a bad port.
    static std::optional<MasterUrl> Parse(const std::string& text);
};
