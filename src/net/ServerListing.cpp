#include "net/ServerListing.h"

#include <nlohmann/json.hpp>

#include <cctype>

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

// Reads the list as the parser meets it, keeping nothing but the fields of
// the entry being read: neither what lies outside the list nor an entry's
// players cost memory, and nesting deeper than a list needs stops the read.
class EntryReader final : public nlohmann::json_sax<Json> {
public:
    // The document, the list, an entry, its players, a player.
    static constexpr int kDeepest = 5;

    explicit EntryReader(std::vector<ListedServer>& servers) : servers(servers) {}

    bool null() override { return Scalar(Json()); }
    bool boolean(bool value) override { return Scalar(value); }
    bool number_integer(number_integer_t value) override { return Scalar(value); }
    bool number_unsigned(number_unsigned_t value) override { return Scalar(value); }
    bool number_float(number_float_t value, const string_t&) override { return Scalar(value); }
    bool string(string_t& value) override { return Scalar(value); }
    bool binary(binary_t&) override { return Scalar(Json()); }
    bool start_object(std::size_t) override { return Open(true); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

    bool key(string_t& name) override
    {
        if (depth == 1)
            listNext = name == "servers";
        else if (depth == 3)
            field = name;
        else if (depth == 5)
            robotNext = name == "robot";
        return true;
    }

    bool IsObject() const { return rootObject; }
    bool ListBegun() const { return begun; }

private:
    bool Scalar(const Json& value)
    {
        if (depth == 0)
            return false;
        if (depth == 3 && entryOpen)
            Field(value);
        else if (depth == 4 && entryOpen && field == "players")
            playersRead = false; // a player that is no object
        else if (depth == 5 && robotNext && value.is_boolean())
            robot = value.get<bool>();
        return true;
    }

    void Field(const Json& value)
    {
        if (field == "address")
            server.address = CleanText(value, 21);
        else if (field == "name")
            server.name = CleanText(value, ServerListing::kLongestName);
        else if (field == "map")
            server.map = CleanText(value, ServerListing::kLongestMap);
        else if (field == "mode")
            server.mode = CleanText(value, ServerListing::kLongestMode);
        else if (field == "seats")
            seatsRead = ReadCount(value, 255, server.seats);
        else if (field == "players")
            playersRead = false;
    }

    bool Open(bool object)
    {
        if (depth == kDeepest)
            return false;
        if (depth == 0)
            rootObject = object;
        else if (depth == 1 && listNext)
            inList = begun = !object;
        else if (depth == 2 && inList)
            StartEntry(object);
        else if (depth == 3 && entryOpen)
            FieldOpens(object);
        else if (depth == 4 && entryOpen && field == "players")
            PlayerStarts(object);
        ++depth;
        return true;
    }

    void FieldOpens(bool object)
    {
        Field(Json());
        if (field == "players")
            playersRead = !object;
    }

    bool Close()
    {
        --depth;
        if (depth == 1)
            inList = false;
        else if (depth == 2 && entryOpen)
            EndEntry();
        else if (depth == 4 && playerOpen)
            PlayerEnds();
        return true;
    }

    void StartEntry(bool object)
    {
        entryOpen = object && servers.size() < ServerListing::kMostServers;
        server = ListedServer();
        seatsRead = playersRead = false;
    }

    void EndEntry()
    {
        if (ServerListing::IsAddress(server.address) && !server.name.empty() && playersRead && seatsRead)
            servers.push_back(std::move(server));
        entryOpen = false;
    }

    void PlayerStarts(bool object)
    {
        playerOpen = object && playersRead && server.people + server.robots < int(ServerListing::kMostPlayers);
        playersRead = playerOpen;
        robot = robotNext = false;
    }

    void PlayerEnds()
    {
        ++(robot ? server.robots : server.people);
        playerOpen = false;
    }

    std::vector<ListedServer>& servers;
    int depth = 0;          // containers open
    bool rootObject = false;
    bool listNext = false;  // the key just read names the list
    bool inList = false;
    bool begun = false;
    bool entryOpen = false; // an entry is being read
    ListedServer server;
    std::string field;      // the entry's key just read
    bool seatsRead = false;
    bool playersRead = false;
    bool playerOpen = false;
    bool robotNext = false;
    bool robot = false;
};

bool ServerListing::Read(std::string_view document, std::vector<ListedServer>& servers, std::string& error, bool cut)
{
    servers.clear();
    EntryReader reader(servers);
    const bool whole = Json::sax_parse(document.begin(), document.end(), &reader);
    if (cut && reader.ListBegun())
        return true;
    if (!whole || !reader.IsObject()) {
        servers.clear();
        error = "the answer is not a server list";
        return false;
    }
    if (!reader.ListBegun()) {
        servers.clear();
        error = "the answer holds no server list";
        return false;
    }
    return true;
}
