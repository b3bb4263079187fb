#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

struct ListedPlayer {
    std::string name;
    int score = 0;
    bool robot = false;
    bool operator==(const ListedPlayer&) const = default;
};

// What a player sees of a game server in the list.
struct Listing {
    std::string name;
    std::string map;
    std::string mode;
    std::string version;
    int seats = 0;
    bool password = false;
    std::vector<ListedPlayer> players;
    bool operator==(const Listing&) const = default;
};

// A game server's POST /register: its listing, the UDP port players reach
// it on, its own secret and, once challenged, the token that proves the port.
struct Registration {
    static constexpr std::size_t kLargestBody = 16 * 1024;
    static constexpr std::size_t kTokenLength = 32;

    Listing listing;
    int port = 0;
    std::string secret;
    std::string token;

    // Reads a body; on false, why says what was wrong in words for the log
    // and the answer. Control bytes in texts are dropped, markup is kept.
    static bool Read(std::string_view body, Registration& out, std::string& why);
    static bool From(const nlohmann::json& object, Registration& out, std::string& why);
    // The same fields as Read takes.
    nlohmann::json Json() const;
};

// A game server's POST /unregister.
struct Unregistration {
    int port = 0;
    std::string secret;

    static bool Read(std::string_view body, Unregistration& out, std::string& why);
};

// Drops ASCII and C1 control bytes and the direction overrides that would
// turn a listing around, then the spaces at either end.
std::string CleanText(std::string_view text);
