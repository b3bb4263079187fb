#include "net/ServerListing.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <functional>

namespace {

using Json = nlohmann::json;

bool Continues(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text without control bytes (the font has no cell for them), cut to
// at most longest bytes between two characters; empty when it is not a text.
std::string CleanText(const Json& value, std::size_t longest)
{
    if (!value.is_string())
        return {};
    std::string text;
    for (const char c : value.get_ref<const std::string&>()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            continue;
        if (text.size() < longest) {
            text += c;
            continue;
        }
        // A character the cut would split goes whole.
        while (Continues(c) && !text.empty() && Continues(text.back()))
            text.pop_back();
        if (Continues(c) && !text.empty())
            text.pop_back();
        break;
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

// Reads the list entry by entry as the parser meets them, each dropped once
// read, so a cut document keeps the servers whole before its cut.
class EntryReader {
public:
    explicit EntryReader(std::vector<ListedServer>& servers) : servers(servers) {}

    bool operator()(int depth, Json::parse_event_t event, Json& parsed)
    {
        using Event = Json::parse_event_t;
        if (depth == 1 && event == Event::key) {
            // Nothing but the list is kept.
            listNext = parsed == "servers";
            return listNext;
        }
        if (depth == 1 && (event == Event::array_start || event == Event::array_end)) {
            inList = event == Event::array_start && listNext;
            begun = begun || inList;
        }
        if (!inList || depth < 2)
            return true;
        const bool full = servers.size() >= ServerListing::kMostServers;
        if (depth > 2 || event == Event::object_start || event == Event::array_start)
            return !full;
        ListedServer server;
        if (event == Event::object_end && !full && ReadServer(parsed, server))
            servers.push_back(std::move(server));
        // Each entry goes once read, so the list costs no more than its servers.
        return false;
    }

    bool ListBegun() const { return begun; }

private:
    std::vector<ListedServer>& servers;
    bool listNext = false; // the key just read names the list
    bool inList = false;
    bool begun = false;
};

bool ServerListing::Read(std::string_view document, std::vector<ListedServer>& servers, std::string& error, bool cut)
{
    servers.clear();
    EntryReader reader(servers);
    const Json root = Json::parse(document.begin(), document.end(), std::ref(reader), false);
    if (cut && reader.ListBegun())
        return true;
    if (root.is_discarded() || !root.is_object()) {
        servers.clear();
        error = "the answer is not a server list";
        return false;
    }
    const auto list = root.find("servers");
    if (list == root.end() || !list->is_array()) {
        servers.clear();
        error = "the answer holds no server list";
        return false;
    }
    return true;
}
