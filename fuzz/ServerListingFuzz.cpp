#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/ServerListing.h"
#include "net/ServerTable.h"

// A master's list, whatever it sends: what is read is bounded and clean,
// and the screen's table sorts and filters it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<ListedServer> servers;
    std::string error;
    const bool read =
        ServerListing::Read(std::string_view(reinterpret_cast<const char*>(data), size), servers, error, size % 3 == 0);
    if (read != error.empty() || servers.size() > ServerListing::kMostServers)
        __builtin_trap();
    for (const ListedServer& server : servers) {
        if (!ServerListing::IsAddress(server.address) || server.name.empty() ||
            server.name.size() > ServerListing::kLongestName || server.map.size() > ServerListing::kLongestMap ||
            server.mode.size() > ServerListing::kLongestMode || server.seats > 255 ||
            server.people + server.robots > static_cast<int>(ServerListing::kMostPlayers))
            __builtin_trap();
        for (const std::string* text : {&server.name, &server.map, &server.mode}) {
            for (const char c : *text) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                    __builtin_trap();
            }
        }
    }
    const std::size_t count = servers.size();
    ServerTable table;
    table.SetListed(std::move(servers));
    table.SortBy(size % 2 ? ServerTable::kPing : ServerTable::kMap);
    table.ToggleHidden(ServerTable::kHideRobotsOnly);
    table.SelectNext();
    if (table.Rows().size() > count)
        __builtin_trap();
    return 0;
}
