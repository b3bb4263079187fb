// The server's commands: what the operator types at the console, and what
// players ask for with /server, the engine's and the game's alike, all run
// through one registry.
#include "server/engine/ServerCommands.h"

#include <cstdio>

#include "base/AsciiLower.h"
#include "server/engine/Admission.h"
#include "server/engine/Connections.h"
#include "server/engine/ServerLog.h"
#include "server/engine/ServerOptions.h"
#include "server/game/Game.h"
#include "server/game/PlayerText.h"

namespace {

constexpr Askers kAdmins {Asker::Operator, Asker::Admin};
constexpr Askers kPlayers {Asker::Admin, Asker::Player};
constexpr Askers kEveryone {Asker::Operator, Asker::Admin, Asker::Player};
constexpr const char* kAdminsOnly = "Only an admin may do that: /server login PASSWORD first.";

// "home", "carried by Robot Ace", "dropped, home in 12 s".
std::string FlagLine(const HostedGame::FlagSpot& flag)
{
    if (flag.place == "carried")
        return "carried by " + flag.carrier;
    if (flag.place == "dropped")
        return "dropped, home in " + std::to_string((flag.returnsInMs + 999) / 1000) + " s";
    return flag.place;
}

} // namespace

const ServerCommands::Entry ServerCommands::kEntries[] = {
    {"status", "", "the players and watchers, their addresses, the map, the round's time, the ticks", kAdmins, kAdminsOnly,
     &ServerCommands::Status},
    {"kick", "NAME", "drop a player or a watcher, or retire a robot", kAdmins, kAdminsOnly, &ServerCommands::Kick},
    {"say", "TEXT", "a line every player sees, from the server", kAdmins, kAdminsOnly, &ServerCommands::Say},
    {"halt", "", "end the game for everyone and stop the server", kAdmins,
     "Only an admin may halt the server: /server login PASSWORD first.", &ServerCommands::Halt},
    {"login", "PASSWORD", "become an admin of this server, from a player's console", kPlayers, "",
     &ServerCommands::Login},
    {"ban", "NAME|ADDRESS [MINUTES]", "drop a player, or an address, and refuse it for good or MINUTES", kAdmins,
     kAdminsOnly, &ServerCommands::Ban},
    {"unban", "ADDRESS", "let a banned address in again", kAdmins, kAdminsOnly, &ServerCommands::Unban},
    {"bans", "", "the banned addresses, and until when", kAdmins, kAdminsOnly, &ServerCommands::Bans},
    {"reload-bans", "", "read the ban file again, as edited by hand", kAdmins, kAdminsOnly,
     &ServerCommands::ReloadBans},
};

ServerCommands::ServerCommands(Parts parts) : s(std::move(parts))
{
    for (const Entry& entry : kEntries) {
        registry.Add({entry.name, entry.synopsis, entry.help, entry.who, entry.refusal,
                      [this, body = entry.body](const Request& request) { return (this->*body)(request); }});
    }
    const auto slotOf = [this](std::uint32_t caller) {
        const Connection* connection = s.connections.Find(caller);
        return connection ? connection->slot : HostedGame::kNobody;
    };
    for (const HostedGame::Command& command : s.game.Commands())
        registry.Add(FromGame(command, slotOf));
    // Players type the server's commands after /server, in a narrow console.
    for (const Asker asker : {Asker::Admin, Asker::Player})
        registry.SetTyping(asker, {"/server ", true});
}

CommandRegistry::Command ServerCommands::FromGame(const HostedGame::Command& command, const SlotOf& slotOf)
{
    return {command.name, command.synopsis, command.help, command.everyone ? kEveryone : kAdmins,
            command.refusal ? command.refusal : kAdminsOnly,
            [run = command.run, slotOf](const Request& request) {
                const int slot = request.asker == Asker::Operator ? HostedGame::kNobody : slotOf(request.caller);
                return run(request.arguments, request.by, slot, request.reply);
            }};
}

std::string ServerCommands::Help()
{
    CommandRegistry listed;
    for (const Entry& entry : kEntries) {
        listed.Add({entry.name, entry.synopsis, entry.help, entry.who, entry.refusal, [](const Request&) { return true; }});
    }
    for (HostedGame::Command command : Game::Listed()) {
        command.run = [](const std::string&, const std::string&, int, const HostedGame::Reply&) { return true; };
        listed.Add(FromGame(command, [](std::uint32_t) { return HostedGame::kNobody; }));
    }
    std::string text;
    listed.RunLine("/help", Asker::Operator, "", [&text](const std::string& line) { text += "  " + line + "\n"; });
    return text;
}

bool ServerCommands::Status(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    if (request.asker != Asker::Operator)
        s.log.Always("%s asks for the status", request.by.c_str());
    const HostedGame::Glance glance = s.game.Look();
    request.reply("map " + glance.map + ", mode " + glance.mode +
                  (glance.nextMode.empty() ? "" : " (" + glance.nextMode + " from the next round)") + ", " +
                  RoundLine());
    for (const HostedGame::Side& side : glance.sides)
        request.reply("  " + side.name + ": score " + std::to_string(side.score) + ", " +
                      Counted(side.pilots, "pilot", "pilots"));
    for (const HostedGame::FlagSpot& flag : glance.flags)
        request.reply("  " + flag.team + " flag: " + FlagLine(flag));
    request.reply(Counted(glance.people, "person", "people") + " and " + Counted(glance.robots, "robot", "robots") +
                  " (" + std::to_string(glance.robotsWanted) + " wanted) in " + std::to_string(s.options.maxPlayers) +
                  " seats; " + Counted(static_cast<long long>(s.connections.Count()), "connection", "connections"));
    for (const HostedGame::Seat& seat : s.game.Seats()) {
        platform::PlayerId id = 0;
        const bool person = s.connections.AtSlot(seat.slot, id);
        const std::string who = person ? s.connections.Describe(id) : "robot \"" + seat.name + "\"";
        const bool admin = person && s.connections.Find(id)->admin;
        request.reply("  " + who + ", ship " + std::to_string(seat.ship) + ", score " + std::to_string(seat.score) +
                      (seat.team.empty() ? "" : ", " + seat.team) + (admin ? ", admin" : ""));
    }
    for (const std::string& line : s.figures())
        request.reply(line);
    return true;
}

std::string ServerCommands::RoundLine() const
{
    const HostedGame::Glance glance = s.game.Look();
    if (glance.roundOver)
        return "the round is over";
    if (glance.roundMsLeft < 0)
        return "rounds without a time limit";
    const int seconds = (glance.roundMsLeft + 999) / 1000;
    char text[64] = {};
    std::snprintf(text, sizeof text, "%d:%02d left of the round", seconds / 60, seconds % 60);
    return text;
}

bool ServerCommands::Kick(const Request& request)
{
    const std::string name = Unquoted(request.arguments);
    if (name.empty())
        return false;
    HostedGame::Seat seat;
    if (!Find(name, seat)) {
        request.reply("No player is named \"" + Drawable(name.c_str(), kMaxNameLength) + "\".");
        return true;
    }
    platform::PlayerId id = 0;
    if (!s.connections.AtSlot(seat.slot, id)) {
        s.log.Always("%s retires robot \"%s\"", request.by.c_str(), seat.name.c_str());
        s.game.Retire(seat.slot);
        request.reply(seat.name + " is retired; " + Counted(s.game.Look().robotsWanted, "robot", "robots") +
                      " wanted.");
        return true;
    }
    s.log.Always("%s drops %s", request.by.c_str(), s.connections.Describe(id).c_str());
    s.drop(id, DropReason::Kicked);
    request.reply(seat.name + " is dropped.");
    return true;
}

bool ServerCommands::Find(const std::string& name, HostedGame::Seat& seat) const
{
    // Pilots and watchers alike: a watcher is kicked or banned by name too.
    std::vector<HostedGame::Seat> candidates = s.game.Seats();
    for (const auto& [id, connection] : s.connections.All()) {
        if (connection.watching && connection.Joined())
            candidates.push_back({connection.slot, connection.name, 0, 0, {}});
    }
    bool alike = false;
    for (const HostedGame::Seat& candidate : candidates) {
        if (name == candidate.name) {
            seat = candidate;
            return true;
        }
        if (!alike && AsciiLower(name) == AsciiLower(candidate.name)) {
            seat = candidate;
            alike = true;
        }
    }
    return alike;
}

bool ServerCommands::Say(const Request& request)
{
    const std::string line = ChatLine("Server", request.arguments.c_str());
    if (line.empty())
        return false;
    s.game.Tell(HostedGame::kNobody, line.c_str());
    if (request.asker == Asker::Operator)
        s.log.Always("chat: %s", line.c_str());
    else
        s.log.Always("chat: %s (from %s)", line.c_str(), request.by.c_str());
    return true;
}

bool ServerCommands::Halt(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    s.log.Always("%s halts the server", request.by.c_str());
    s.halt();
    return true;
}
