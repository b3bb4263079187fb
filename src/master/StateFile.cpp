#include "master/StateFile.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "master/AddressText.h"
#include "platform/WholeFile.h"

using nlohmann::json;

namespace {

// A state file far beyond what 64 ports of many thousand addresses need is
// not one this master wrote.
constexpr std::size_t kLargestFile = 256 << 20;

bool ReadEntry(const json& saved, const MasterClock& clock, ServerList::Entry& entry)
{
    Registration registration;
    std::string why;
    in_addr address {};
    const auto at = saved.find("address");
    const auto last = saved.find("last");
    const auto form = saved.find("registration");
    if (at == saved.end() || !at->is_string() || inet_pton(AF_INET, at->get_ref<const std::string&>().c_str(), &address) != 1 ||
        last == saved.end() || !last->is_number_integer() || form == saved.end() ||
        !Registration::From(*form, registration, why))
        return false;
    entry.address = ntohl(address.s_addr);
    entry.port = registration.port;
    entry.listing = std::move(registration.listing);
    entry.secret = std::move(registration.secret);
    // A time to come (a hand-edited file, a clock set back) is now at the
    // latest: no entry outlives its server by it, nor overflows.
    entry.lastMs = clock.SteadyOf(std::min(last->get<std::int64_t>(), clock.WallMs()));
    return true;
}

} // namespace

void StateFile::Write(const ServerList& list, const MasterClock& clock,
                      const std::function<void(std::string_view)>& put)
{
    const char* separator = "{\"servers\":[";
    list.ForEachListed([&](const ServerList::Entry& entry) {
        const Registration registration {entry.listing, entry.port, entry.secret, {}};
        put(separator);
        put(json {{"address", AddressText(entry.address)}, {"last", clock.WallOf(entry.lastMs)},
                  {"registration", registration.Json()}}
                .dump());
        separator = ",";
    });
    put(*separator == ',' ? "]}\n" : "{\"servers\":[]}\n");
}

std::string StateFile::Text(const ServerList& list, const MasterClock& clock)
{
    std::string text;
    Write(list, clock, [&](std::string_view piece) { text += piece; });
    return text;
}

void StateFile::Restore(const std::string& text, const MasterClock& clock, ServerList& list, int& skipped)
{
    skipped = 0;
    const json state = json::parse(text, nullptr, false);
    const auto servers = state.is_object() ? state.find("servers") : state.end();
    if (!state.is_object() || servers == state.end() || !servers->is_array()) {
        skipped = 1;
        return;
    }
    for (const json& saved : *servers) {
        ServerList::Entry entry;
        if (saved.is_object() && ReadEntry(saved, clock, entry))
            list.Restore(entry);
        else
            ++skipped;
    }
}

bool StateFile::Save(const ServerList& list, const MasterClock& clock, std::string& why) const
{
    const std::string fresh = path + ".new";
    // Made afresh, never through a link someone left in its place.
    ::unlink(fresh.c_str());
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
    bool written = file != nullptr;
    if (written)
        Write(list, clock, [&](std::string_view piece) {
            written = written && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
        });
    written = written && std::fflush(file) == 0 && ::fsync(fd) == 0;
    if (file)
        written = std::fclose(file) == 0 && written;
    else if (fd >= 0)
        ::close(fd);
    if (written && ::rename(fresh.c_str(), path.c_str()) == 0)
        return true;
    why = fresh + ": " + std::strerror(errno);
    ::unlink(fresh.c_str());
    return false;
}

bool StateFile::Load(ServerList& list, const MasterClock& clock, int& skipped, std::string& why) const
{
    skipped = 0;
    // None yet is a first start. A FIFO or a device in its place is
    // refused, never waited on: the master would not start.
    if (!platform::FileExists(path))
        return true;
    const auto bytes = platform::ReadWholeFile(path, kLargestFile, why);
    if (!bytes)
        return false;
    Restore(std::string(bytes->begin(), bytes->end()), clock, list, skipped);
    return true;
}
