// The figures of the metrics page.
#include "server/engine/GameServer.h"

#include <cmath>
#include <cstdio>


namespace {

// One figure: its help, its type, and its lines of samples.
class Page {
public:
    void Figure(const char* name, const char* type, const char* help)
    {
        text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }
    void Sample(const char* name, double value, const std::string& labels = "")
    {
        // Counts whole, the rest to six figures.
        char number[64] = {};
        const bool whole = value == std::floor(value) && std::fabs(value) < 1e15;
        std::snprintf(number, sizeof number, whole ? "%.0f" : "%.6g", value);
        text += std::string(name) + (labels.empty() ? "" : "{" + labels + "}") + " " + number + "\n";
    }
    void One(const char* name, const char* type, const char* help, double value)
    {
        Figure(name, type, help);
        Sample(name, value);
    }
    std::string text;
};

// A label's value as the format wants it: backslashes, quotes and line
// ends escaped.
std::string LabelValue(const std::string& value)
{
    std::string escaped;
    for (const char c : value) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return escaped;
}

double Seconds(std::int64_t micros)
{
    return static_cast<double>(micros) / 1e6;
}

} // namespace

std::string GameServer::MetricsText() const
{
    const HostedGame::Glance glance = game->Look();
    Page page;
    page.One("quillrock_players", "gauge", "People in the game.", glance.people);
    page.One("quillrock_robots", "gauge", "Robots in the game.", glance.robots);
    page.One("quillrock_seats", "gauge", "Players the game takes at most.", options.maxPlayers);
    page.One("quillrock_connections", "gauge", "Connections, joined or not.", static_cast<double>(connections.Count()));
    page.One("quillrock_watchers", "gauge", "People watching without a ship.", watchers.Count());
    page.One("quillrock_watcher_places", "gauge", "People who may watch at once.", watchers.Places());
    page.Figure("quillrock_map_info", "gauge", "The map being played.");
    page.Sample("quillrock_map_info", 1, "map=\"" + LabelValue(glance.map) + "\"");
    page.Figure("quillrock_mode_info", "gauge", "The kind of game being played.");
    page.Sample("quillrock_mode_info", 1, "mode=\"" + LabelValue(glance.mode) + "\"");
    if (!glance.sides.empty()) {
        page.Figure("quillrock_team_score", "gauge", "Each side's score in the round, in a team game.");
        for (const HostedGame::Side& side : glance.sides)
            page.Sample("quillrock_team_score", side.score, "team=\"" + LabelValue(side.name) + "\"");
        page.Figure("quillrock_team_pilots", "gauge", "Pilots on each side, people and robots, in a team game.");
        for (const HostedGame::Side& side : glance.sides)
            page.Sample("quillrock_team_pilots", side.pilots, "team=\"" + LabelValue(side.name) + "\"");
    }
    if (!glance.flags.empty()) {
        page.Figure("quillrock_flag_info", "gauge", "Where each side's flag is, in capture the flag: home, carried or dropped.");
        for (const HostedGame::FlagSpot& flag : glance.flags)
            page.Sample("quillrock_flag_info", 1,
                        "team=\"" + LabelValue(flag.team) + "\",place=\"" + LabelValue(flag.place) + "\"");
    }
    page.One("quillrock_rounds_total", "counter", "Rounds begun.", glance.round);
    const int left = glance.roundMsLeft;
    page.One("quillrock_round_seconds_left", "gauge",
             "What is left of the round's time; -1 without a limit, 0 while the standings show.",
             glance.roundOver ? 0.0 : left < 0 ? -1.0 : left / 1000.0);
    page.One("quillrock_map_downloads_started_total", "counter", "Map downloads begun by players who lacked the map.",
             static_cast<double>(uploads.Started()));
    page.One("quillrock_map_downloads_finished_total", "counter", "Map downloads sent to their end.",
             static_cast<double>(uploads.Finished()));
    page.One("quillrock_ticks_total", "counter", "Ticks of the game.", static_cast<double>(ticks.Count()));
    page.One("quillrock_tick_seconds_last", "gauge", "How long the last tick took.", Seconds(ticks.Times().Last()));
    page.Figure("quillrock_tick_seconds", "gauge", "How long the ticks of the last minute took, by quantile.");
    page.Sample("quillrock_tick_seconds", Seconds(ticks.Times().Quantile(0.5)), "quantile=\"0.5\"");
    page.Sample("quillrock_tick_seconds", Seconds(ticks.Times().Quantile(0.99)), "quantile=\"0.99\"");
    page.One("quillrock_tick_seconds_max", "gauge", "The longest tick of the last minute.",
             Seconds(ticks.Times().Longest()));
    page.Figure("quillrock_tick_wait_seconds", "gauge",
                "From the start of one tick to the next in the last minute, by quantile: a stall players feel.");
    page.Sample("quillrock_tick_wait_seconds", Seconds(ticks.Gaps().Quantile(0.99)), "quantile=\"0.99\"");
    page.Sample("quillrock_tick_wait_seconds", Seconds(ticks.Gaps().Longest()), "quantile=\"1\"");
    const platform::SessionServer::Traffic traffic = session.Counted();
    page.One("quillrock_received_bytes_total", "counter", "Bytes received on the game's port.",
             static_cast<double>(traffic.bytesIn));
    page.One("quillrock_sent_bytes_total", "counter", "Bytes sent from the game's port.",
             static_cast<double>(traffic.bytesOut));
    page.One("quillrock_received_payloads_total", "counter", "Payloads received from players.",
             static_cast<double>(traffic.payloadsIn));
    page.One("quillrock_sent_payloads_total", "counter", "Payloads sent to players.",
             static_cast<double>(traffic.payloadsOut));
    page.One("quillrock_unproven_connects_total", "counter",
             "Connects without their address's cookie, forged as likely as not: dropped unanswered.",
             static_cast<double>(traffic.unprovenConnects));
    page.Figure("quillrock_drops_total", "counter", "Connections the server let go, by why.");
    for (int why = 0; why < kDropReasons; ++why)
        page.Sample("quillrock_drops_total", static_cast<double>(drops[static_cast<std::size_t>(why)]),
                    std::string("reason=\"") + TextOf(static_cast<DropReason>(why)).metric + "\"");
    page.One("quillrock_bans", "gauge", "Banned addresses.", static_cast<double>(admission.Bans().Bans().size()));
    page.One("quillrock_bans_refused_total", "counter", "Connections refused as banned.",
             static_cast<double>(admission.Refused()));
    return page.text;
}
