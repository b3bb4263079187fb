#include "master/Registration.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

constexpr std::size_t kMostPlayers = 64;
constexpr int kMostSeats = 255;

struct TextField {
    const char* key;
    std::string Listing::*member;
    std::size_t longest;
};
constexpr TextField kTextFields[] = {
    {"name", &Listing::name, 64},
    {"map", &Listing::map, 32},
    {"mode", &Listing::mode, 16},
    {"version", &Listing::version, 32},
};
constexpr std::size_t kLongestPlayerName = 32;

// Two- and three-byte UTF-8 forms that must not reach a listing.
bool IsHiddenControl(std::string_view text, std::size_t at, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x20 || first == 0x7f) {
        length = 1;
        return true;
    }
    if (first == 0xc2 && at + 1 < text.size() && byte(at + 1) >= 0x80 && byte(at + 1) <= 0x9f) {
        length = 2;
        return true;
    }
    if (first == 0xe2 && at + 2 < text.size()) {
        const unsigned char second = byte(at + 1), third = byte(at + 2);
        const bool embedding = second == 0x80 && third >= 0xaa && third <= 0xae;
        const bool isolate = second == 0x81 && third >= 0xa6 && third <= 0xa9;
        length = 3;
        return embedding || isolate;
    }
    return false;
}

bool ReadText(const json& object, const char* key, std::size_t longest, std::string& out, std::string& why)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        why = std::string("\"") + key + "\" must be a text";
        return false;
    }
    out = CleanText(found->get_ref<const std::string&>());
    if (out.empty() || out.size() > longest) {
        why = std::string("\"") + key + "\" must be 1 to " + std::to_string(longest) + " bytes";
        return false;
    }
    return true;
}

bool ReadInteger(const json& object, const char* key, std::int64_t least, std::int64_t most, int& out,
                 std::string& why)
{
    const auto found = object.find(key);
    const bool whole = found != object.end() && (found->is_number_integer());
    const std::int64_t value = whole ? found->get<std::int64_t>() : 0;
    // An unsigned beyond int64 reads as a negative here; the range refuses it.
    if (!whole || (found->is_number_unsigned() && found->get<std::uint64_t>() > std::uint64_t(most)) ||
        value < least || value > most) {
        why = std::string("\"") + key + "\" must be a whole number from " + std::to_string(least) + " to " +
              std::to_string(most);
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool ReadFlag(const json& object, const char* key, bool& out, std::string& why)
{
    const auto found = object.find(key);
    if (found == object.end())
        return true;
    if (!found->is_boolean()) {
        why = std::string("\"") + key + "\" must be true or false";
        return false;
    }
    out = found->get<bool>();
    return true;
}

bool ReadPlayers(const json& object, std::vector<ListedPlayer>& out, std::string& why)
{
    const auto found = object.find("players");
    if (found == object.end() || !found->is_array() || found->size() > kMostPlayers) {
        why = "\"players\" must be a list of at most " + std::to_string(kMostPlayers);
        return false;
    }
    for (const json& entry : *found) {
        ListedPlayer player;
        if (!entry.is_object()) {
            why = "a player must be an object";
            return false;
        }
        if (!ReadText(entry, "name", kLongestPlayerName, player.name, why) ||
            !ReadInteger(entry, "score", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                         player.score, why) ||
            !ReadFlag(entry, "robot", player.robot, why)) {
            why = "a player's " + why;
            return false;
        }
        out.push_back(std::move(player));
    }
    return true;
}

// Printable ASCII without spaces: it is compared, never shown.
bool ReadSecret(const json& object, std::string& out, std::string& why)
{
    const auto found = object.find("secret");
    const bool text = found != object.end() && found->is_string();
    out = text ? found->get<std::string>() : std::string();
    const bool fits = out.size() >= 16 && out.size() <= 128 &&
                      std::all_of(out.begin(), out.end(), [](char c) { return c > ' ' && c < 0x7f; });
    if (!fits)
        why = "\"secret\" must be 16 to 128 printable characters";
    return fits;
}

bool ReadToken(const json& object, std::string& out, std::string& why)
{
    const auto found = object.find("token");
    if (found == object.end())
        return true;
    const bool text = found->is_string();
    out = text ? found->get<std::string>() : std::string();
    const bool hex = std::all_of(out.begin(), out.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
    if (!text || out.size() != Registration::kTokenLength || !hex) {
        why = "\"token\" must be the 32 hexadecimal digits of the challenge";
        return false;
    }
    return true;
}

bool ReadObject(std::string_view body, json& out, std::string& why)
{
    if (body.size() > Registration::kLargestBody) {
        why = "larger than " + std::to_string(Registration::kLargestBody) + " bytes";
        return false;
    }
    out = json::parse(body.begin(), body.end(), nullptr, false);
    if (!out.is_object()) {
        why = out.is_discarded() ? "not JSON" : "not a JSON object";
        return false;
    }
    return true;
}

} // namespace

std::string CleanText(std::string_view text)
{
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        if (!IsHiddenControl(text, at, length))
            clean.append(text.substr(at, length));
        at += length;
    }
    const auto first = clean.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

bool Registration::Read(std::string_view body, Registration& out, std::string& why)
{
    json object;
    return ReadObject(body, object, why) && From(object, out, why);
}

bool Registration::From(const json& object, Registration& out, std::string& why)
{
    Registration read;
    for (const TextField& field : kTextFields)
        if (!ReadText(object, field.key, field.longest, read.listing.*field.member, why))
            return false;
    if (!ReadInteger(object, "port", 1, 65535, read.port, why) ||
        !ReadInteger(object, "seats", 1, kMostSeats, read.listing.seats, why) ||
        !ReadFlag(object, "password", read.listing.password, why) || !ReadPlayers(object, read.listing.players, why) ||
        !ReadSecret(object, read.secret, why) || !ReadToken(object, read.token, why))
        return false;
    out = std::move(read);
    return true;
}

json Registration::Json() const
{
    json players = json::array();
    for (const ListedPlayer& player : listing.players)
        players.push_back({{"name", player.name}, {"score", player.score}, {"robot", player.robot}});
    json object = {{"port", port},         {"seats", listing.seats},       {"password", listing.password},
                   {"players", players},   {"secret", secret}};
    for (const TextField& field : kTextFields)
        object[field.key] = listing.*field.member;
    if (!token.empty())
        object["token"] = token;
    return object;
}

bool Unregistration::Read(std::string_view body, Unregistration& out, std::string& why)
{
    json object;
    Unregistration read;
    if (!ReadObject(body, object, why) || !ReadInteger(object, "port", 1, 65535, read.port, why) ||
        !ReadSecret(object, read.secret, why))
        return false;
    out = std::move(read);
    return true;
}
