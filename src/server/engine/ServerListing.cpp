#include "server/engine/ServerListing.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace {

// A master's limits on each text, in bytes.
constexpr std::size_t kLongestName = 64;
constexpr std::size_t kLongestMap = 32;
constexpr std::size_t kLongestMode = 16;
constexpr std::size_t kLongestPilot = 32;
constexpr std::size_t kMostPlayers = 64;

std::string Fitted(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

bool ServerListing::LineUpDiffers(const ServerListing& other) const
{
    const auto samePilot = [](const Pilot& a, const Pilot& b) { return a.name == b.name && a.robot == b.robot; };
    return map != other.map || mode != other.mode ||
           !std::equal(players.begin(), players.end(), other.players.begin(), other.players.end(), samePilot);
}

nlohmann::json ServerListing::Json(const std::string& secret) const
{
    nlohmann::json pilots = nlohmann::json::array();
    for (std::size_t i = 0; i < players.size() && i < kMostPlayers; ++i)
        pilots.push_back({{"name", Fitted(players[i].name, kLongestPilot)},
                          {"score", players[i].score},
                          {"robot", players[i].robot}});
    return {{"name", Fitted(name, kLongestName)},
            {"port", port},
            {"map", Fitted(map, kLongestMap)},
            {"mode", Fitted(mode, kLongestMode)},
            {"players", std::move(pilots)},
            {"seats", std::clamp(seats, 1, 255)},
            {"version", QR_GAME_VERSION},
            {"password", password},
            {"secret", secret}};
}
