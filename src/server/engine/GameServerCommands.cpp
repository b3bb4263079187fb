// The server's commands: what the operator types at the console, and what
// players ask for with /server, all run through one registry.
#include "server/engine/GameServerCommands.h"

#include <charconv>
#include <cstdio>

#include "base/AsciiLower.h"
#include "server/game/PlayerText.h"
#include "server/engine/ServerLog.h"
#include "world/Ship.h"

namespace {

using Request = GameServerCommands::Request;

// Console lines run in one turn of the loop, so that a flood of input
// cannot hold up the ticks; the rest wait for the next turn.
constexpr int kConsoleLinesPerTurn = 16;

bool ReadCount(const std::string& text, int& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

std::string Figure(const char* format, double value)
{
    char text[64] = {};
    std::snprintf(text, sizeof text, format, value);
    return text;
}

struct Entry {
    const char* name;
    const char* synopsis;
    const char* help;
    Askers who;
    const char* refusal;
    bool (GameServerCommands::*body)(const Request&);
};

constexpr Askers kAdmins {Asker::Operator, Asker::Admin};
constexpr Askers kPlayers {Asker::Admin, Asker::Player};
constexpr const char* kAdminsOnly = "Only an admin may do that: /server login PASSWORD first.";

const Entry kCommands[] = {
    {"status", "", "the players and their addresses, the map, the round's time, the ticks", kAdmins, kAdminsOnly,
     &GameServerCommands::Status},
    {"map", "NAME", "play the named map now", kAdmins, "Only an admin may change the map: /server login PASSWORD first.",
     &GameServerCommands::Map},
    {"next", "", "play the next map of the rotation now", kAdmins, kAdminsOnly, &GameServerCommands::Next},
    {"bots", "N", "robots wanted from now on, 0 to the seats", kAdmins, kAdminsOnly, &GameServerCommands::Bots},
    {"kick", "NAME", "drop a player, or retire a robot", kAdmins, kAdminsOnly, &GameServerCommands::Kick},
    {"say", "TEXT", "a line every player sees, from the server", kAdmins, kAdminsOnly, &GameServerCommands::Say},
    {"halt", "", "end the game for everyone and stop the server", kAdmins,
     "Only an admin may halt the server: /server login PASSWORD first.", &GameServerCommands::Halt},
    {"login", "PASSWORD", "become an admin of this server, from a player's console", kPlayers, "",
     &GameServerCommands::Login},
    {"ban", "NAME|ADDRESS [MINUTES]", "drop a player, or an address, and refuse it for good or MINUTES",
     kAdmins, kAdminsOnly, &GameServerCommands::Ban},
    {"unban", "ADDRESS", "let a banned address in again", kAdmins, kAdminsOnly, &GameServerCommands::Unban},
    {"bans", "", "the banned addresses, and until when", kAdmins, kAdminsOnly, &GameServerCommands::Bans},
    {"reload-bans", "", "read the ban file again, as edited by hand", kAdmins, kAdminsOnly,
     &GameServerCommands::ReloadBans},
};

} // namespace

void GameServer::AddCommands()
{
    for (const Entry& entry : kCommands) {
        commands.Add({entry.name, entry.synopsis, entry.help, entry.who, entry.refusal,
                      [this, body = entry.body](const Request& request) {
                          return (GameServerCommands(*this).*body)(request);
                      }});
    }
    // Players type the server's commands after /server, in a narrow console.
    for (const Asker asker : {Asker::Admin, Asker::Player})
        commands.SetTyping(asker, {"/server ", true});
}

std::string GameServer::CommandHelp()
{
    CommandRegistry listed;
    for (const Entry& entry : kCommands)
        listed.Add({entry.name, entry.synopsis, entry.help, entry.who, entry.refusal, [](const Request&) { return true; }});
    std::string text;
    listed.RunLine("/help", Asker::Operator, "", [&text](const std::string& line) { text += "  " + line + "\n"; });
    return text;
}

void GameServer::Operate(const std::string& line)
{
    // Answers go on the log, stamped like its events, so that a log read
    // later shows what the operator did among what it caused.
    commands.RunLine(line, Asker::Operator, "the operator",
                     [this](const std::string& answer) { log.Always("%s", answer.c_str()); });
}

void GameServer::ReadConsole()
{
    std::string line;
    for (int i = 0; i < kConsoleLinesPerTurn; ++i) {
        const platform::LineReader::Got got = console.Next(line);
        if (got == platform::LineReader::Got::Nothing)
            return;
        if (got == platform::LineReader::Got::TooLong)
            log.Always("A console line longer than %zu bytes is refused.", platform::LineReader::kLongestLine);
        else
            Operate(line);
    }
}

CommandRegistry::Outcome GameServer::Ask(platform::PlayerId id, const Connection& connection, const char* command,
                                         const std::string& arguments)
{
    return commands.Run(command, arguments, AskerOf(connection), Describe(id), TellerOf(connection), id);
}

CommandRegistry::Reply GameServer::TellerOf(const Connection& connection)
{
    const int slot = connection.slot;
    return [this, slot](const std::string& line) { game.Tell(slot, ForConsole(line).c_str()); };
}

bool GameServerCommands::Status(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    if (request.asker != Asker::Operator)
        s.log.Always("%s asks for the status", request.by.c_str());
    request.reply("map " + s.game.GetSimulation().MapName() + ", " + RoundLine());
    request.reply(Counted(s.game.People(), "person", "people") + " and " + Counted(s.game.Robots(), "robot", "robots") +
                  " (" + std::to_string(s.game.RobotsWanted()) + " wanted) in " + std::to_string(s.options.maxPlayers) +
                  " seats; " + Counted(static_cast<int>(s.connections.size()), "connection", "connections"));
    for (const auto& player : s.game.GetSimulation().Players()) {
        const auto connection = s.bySlot.find(player->Slot());
        const std::string who = connection == s.bySlot.end() ? "robot \"" + std::string(player->Name()) + "\""
                                                             : s.Describe(connection->second);
        const bool admin = connection != s.bySlot.end() && s.connections.at(connection->second).admin;
        request.reply("  " + who + ", ship " + std::to_string(player->ShipId()) + ", score " +
                      std::to_string(player->GetShip().GetScore()) + (admin ? ", admin" : ""));
    }
    if (s.recorder)
        request.reply(s.recorder->Path().empty() ? "recording rounds with a person into " + s.options.recordDir
                                                 : "recording this round into " + s.recorder->Path());
    request.reply(Figure("since the last status: the longest tick %.1f ms,", s.statusWorstTickMicros / 1000.0));
    request.reply(Figure("the longest wait between ticks %.1f ms", s.statusWorstGapMicros / 1000.0));
    s.statusWorstTickMicros = 0;
    s.statusWorstGapMicros = 0;
    return true;
}

std::string GameServerCommands::RoundLine() const
{
    const Simulation& simulation = s.game.GetSimulation();
    if (simulation.IsRoundOver())
        return "the round is over";
    const int left = simulation.RoundMsLeft();
    if (left < 0)
        return "rounds without a time limit";
    const int seconds = (left + 999) / 1000;
    char text[64] = {};
    std::snprintf(text, sizeof text, "%d:%02d left of the round", seconds / 60, seconds % 60);
    return text;
}

bool GameServerCommands::Map(const Request& request)
{
    if (request.arguments.empty())
        return false;
    const std::string shown = Drawable(request.arguments.c_str(), kMaxLineLength);
    s.log.Always("%s asks for map \"%s\"", request.by.c_str(), shown.c_str());
    if (!s.game.ChangeMap(request.arguments))
        request.reply("Cannot change to map \"" + shown + "\".");
    return true;
}

bool GameServerCommands::Next(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    s.log.Always("%s asks for the next map", request.by.c_str());
    if (!s.game.NextMap())
        request.reply("No map of the rotation can be played.");
    return true;
}

bool GameServerCommands::Bots(const Request& request)
{
    int wanted = 0;
    if (!ReadCount(request.arguments, wanted))
        return false;
    if (wanted < 0 || wanted > s.options.maxPlayers) {
        request.reply("From 0 to " + std::to_string(s.options.maxPlayers) + " robots: there are as many seats.");
        return true;
    }
    s.log.Always("%s wants %s", request.by.c_str(), Counted(wanted, "robot", "robots").c_str());
    s.game.WantRobots(wanted);
    s.CountSeats();
    request.reply(Counted(s.game.Robots(), "robot", "robots") + " beside " +
                  Counted(s.game.People(), "person", "people") + ".");
    return true;
}

bool GameServerCommands::Kick(const Request& request)
{
    const std::string name = Unquoted(request.arguments);
    if (name.empty())
        return false;
    Player* player = Find(name);
    if (!player) {
        request.reply("No player is named \"" + Drawable(name.c_str(), kMaxNameLength) + "\".");
        return true;
    }
    const std::string found = player->Name();
    const auto connection = s.bySlot.find(player->Slot());
    if (connection == s.bySlot.end()) {
        s.log.Always("%s retires robot \"%s\"", request.by.c_str(), found.c_str());
        s.game.Retire(player->Slot());
        s.CountSeats();
        request.reply(found + " is retired; " + Counted(s.game.RobotsWanted(), "robot", "robots") + " wanted.");
        return true;
    }
    const platform::PlayerId id = connection->second;
    s.log.Always("%s drops %s", request.by.c_str(), s.Describe(id).c_str());
    s.Drop(id, GameServer::DropReason::Kicked);
    request.reply(found + " is dropped.");
    return true;
}

Player* GameServerCommands::Find(const std::string& name) const
{
    Player* alike = nullptr;
    for (const auto& player : s.game.GetSimulation().Players()) {
        if (name == player->Name())
            return player.get();
        if (!alike && AsciiLower(name) == AsciiLower(player->Name()))
            alike = player.get();
    }
    return alike;
}

bool GameServerCommands::Say(const Request& request)
{
    const std::string line = ChatLine("Server", request.arguments.c_str());
    if (line.empty())
        return false;
    s.game.TellAll(line.c_str());
    if (request.asker == Asker::Operator)
        s.log.Always("chat: %s", line.c_str());
    else
        s.log.Always("chat: %s (from %s)", line.c_str(), request.by.c_str());
    return true;
}

bool GameServerCommands::Halt(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    s.log.Always("%s halts the server", request.by.c_str());
    s.halted = true;
    return true;
}
