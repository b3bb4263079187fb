#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "net/ListedServer.h"

// Reads the list a master serves (GET /servers.json). A master is not
// trusted: the document is bounded, texts are cut and cleaned of control
// bytes, and an entry that is not a server is dropped, not the whole list.
class ServerListing {
public:
    // The most of a document that is read; a longer one is cut there.
    static constexpr std::size_t kLargestDocument = 8 * 1024 * 1024;
    static constexpr std::size_t kMostServers = 10000;
    static constexpr std::size_t kMostPlayers = 255;
    static constexpr std::size_t kLongestName = 64;
    static constexpr std::size_t kLongestMap = 32;
    static constexpr std::size_t kLongestMode = 16;

    // False, with a reason for the player, when the document is no list.
    // Of a document cut short (cut), the servers whole before the cut are
    // the list.
    static bool Read(std::string_view document, std::vector<ListedServer>& servers, std::string& error,
                     bool cut = false);

    // Whether text is "a.b.c.d:port" with a port from 1 to 65535.
    static bool IsAddress(std::string_view text);
};
