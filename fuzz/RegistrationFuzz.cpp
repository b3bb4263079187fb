#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "master/Registration.h"

namespace {

bool Clean(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return !text.empty() && text.front() != ' ' && text.back() != ' ';
}

} // namespace

// Whatever a game server sends, reading it neither crashes nor lets a
// control byte through, and what is taken reads back the same once written.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string body(reinterpret_cast<const char*>(data), size);
    Registration read, again;
    std::string why;
    Unregistration ending;
    Unregistration::Read(body, ending, why);
    if (!Registration::Read(body, read, why))
        return 0;
    bool clean = Clean(read.listing.name) && Clean(read.listing.map) && Clean(read.listing.mode);
    for (const ListedPlayer& player : read.listing.players)
        clean = clean && Clean(player.name);
    const std::string written = read.Json().dump();
    if (!clean || !Registration::Read(written, again, why) || !(again.listing == read.listing) ||
        again.port != read.port || again.secret != read.secret || again.token != read.token)
        __builtin_trap();
    return 0;
}
