#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

// What the masters of the internet list are told of this server.
struct ServerListing {
    struct Pilot {
        std::string name;
        int score = 0;
        bool robot = false;
    };

    std::string name;
    std::uint16_t port = 0;
    std::string map;
    std::string mode;
    std::vector<Pilot> players;
    int seats = 0;
    bool password = false;

    // Whether who plays, the map or the mode differ: news to tell at once,
    // unlike a score.
    bool LineUpDiffers(const ServerListing& other) const;
    // The registration's body with the server's secret. Texts are cut to
    // what a master takes, never inside a character.
    nlohmann::json Json(const std::string& secret) const;
};
