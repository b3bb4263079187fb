#include "net/ServerListing.h"

#include <nlohmann/json.hpp>

#include <cctype>

namespace {

using Json = nlohmann::json;

// The text without control bytes (the font has no cell for them), cut to
// at most longest bytes; empty when it is not a text.
std::string CleanText(const Json& value, std::size_t longest)
{
    if (!value.is_string())
        return {};
    std::string text;
    for (const char c : value.get_ref<const std::string&>()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            continue;
        if (text.size() == longest)
            break;
        text += c;
    }
    return text;
}

// A whole number no smaller than 0, read from within [0, most].
bool ReadCount(const Json& value, int most, int& out)
{
    if (!value.is_number_integer())
        return false;
    const auto number = value.get<std::int64_t>();
    if (number < 0 || number > most)
        return false;
    out = static_cast<int>(number);
    return true;
}

// A number from 0 to most in decimal, at least one digit; the rest after it.
bool TakeNumber(std::string_view& text, int most, int& out)
{
    std::size_t at = 0;
    out = 0;
    while (at < text.size() && at < 6 && std::isdigit(static_cast<unsigned char>(text[at])))
        out = out * 10 + (text[at++] - '0');
    text.remove_prefix(at);
    return at > 0 && out <= most;
}

bool ReadPlayers(const Json& players, ListedServer& server)
{
    if (!players.is_array() || players.size() > ServerListing::kMostPlayers)
        return false;
    for (const Json& player : players) {
        if (!player.is_object())
            return false;
        const auto robot = player.find("robot");
        if (robot != player.end() && robot->is_boolean() && robot->get<bool>())
            ++server.robots;
        else
            ++server.people;
    }
    return true;
}

bool ReadServer(const Json& entry, ListedServer& server)
{
    if (!entry.is_object())
        return false;
    server.address = CleanText(entry.value("address", Json()), 21);
    server.name = CleanText(entry.value("name", Json()), ServerListing::kLongestName);
    server.map = CleanText(entry.value("map", Json()), ServerListing::kLongestMap);
    server.mode = CleanText(entry.value("mode", Json()), ServerListing::kLongestMode);
    const auto players = entry.find("players");
    const auto seats = entry.find("seats");
    return ServerListing::IsAddress(server.address) && !server.name.empty() && players != entry.end() &&
           ReadPlayers(*players, server) && seats != entry.end() && ReadCount(*seats, 255, server.seats);
}

} // namespace

bool ServerListing::IsAddress(std::string_view text)
{
    int number = 0;
    for (int part = 0; part < 4; ++part) {
        if (!TakeNumber(text, 255, number) || text.empty() || text.front() != (part < 3 ? '.' : ':'))
            return false;
        text.remove_prefix(1);
    }
    return TakeNumber(text, 65535, number) && number > 0 && text.empty();
}

bool ServerListing::Read(std::string_view document, std::vector<ListedServer>& servers, std::string& error)
{
    servers.clear();
    if (document.size() > kLargestDocument) {
        error = "the list is too large";
        return false;
    }
    const Json root = Json::parse(document.begin(), document.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "the answer is not a server list";
        return false;
    }
    const auto list = root.find("servers");
    if (list == root.end() || !list->is_array()) {
        error = "the answer holds no server list";
        return false;
    }
    for (const Json& entry : *list) {
        if (servers.size() == kMostServers)
            break;
        ListedServer server;
        if (ReadServer(entry, server))
            servers.push_back(std::move(server));
    }
    return true;
}
