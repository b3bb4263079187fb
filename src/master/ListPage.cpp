#include "master/ListPage.h"

#include <algorithm>
#include <vector>

#include "master/AddressText.h"

namespace {

constexpr const char* kHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Quillrock servers</title>
<style>
body { font-family: sans-serif; background: #10141c; color: #dde3ee; margin: 2em; }
table { border-collapse: collapse; }
th, td { padding: 0.3em 0.8em; text-align: left; border-bottom: 1px solid #2c3544; }
th { color: #9fb4d8; }
td.n { text-align: right; }
</style>
</head>
<body>
<h1>Quillrock servers</h1>
)";

std::string Row(const ShownServer& entry)
{
    const auto robots = std::count_if(entry.listing.players.begin(), entry.listing.players.end(),
                                      [](const ListedPlayer& player) { return player.robot; });
    const auto people = static_cast<long>(entry.listing.players.size()) - robots;
    const auto cell = [](std::string_view text) { return "<td>" + ListPage::Escaped(text) + "</td>"; };
    const auto number = [](long value) { return "<td class=\"n\">" + std::to_string(value) + "</td>"; };
    return "<tr>" + cell(entry.listing.name) + cell(entry.listing.map) + cell(entry.listing.mode) + number(people) +
           number(robots) + number(entry.listing.seats) + cell(AddressText(entry.address, entry.port)) + "</tr>\n";
}

} // namespace

std::string ListPage::Escaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string ListPage::Render(const ShownServers& servers)
{
    std::vector<const ShownServer*> entries;
    for (const auto& server : servers)
        entries.push_back(server.get());
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
        return a->listing.name != b->listing.name ? a->listing.name < b->listing.name : a->port < b->port;
    });
    std::string page = kHead;
    page += "<p>" + std::to_string(entries.size()) + (entries.size() == 1 ? " server" : " servers") +
            " listed. Join one from the game with its address.</p>\n";
    page += "<table>\n<tr><th>Name</th><th>Map</th><th>Mode</th><th>People</th><th>Robots</th><th>Seats</th>"
            "<th>Address</th></tr>\n";
    for (const ShownServer* entry : entries)
        page += Row(*entry);
    return page + "</table>\n</body>\n</html>\n";
}
