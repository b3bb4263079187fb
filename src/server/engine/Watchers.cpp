#include "server/engine/Watchers.h"

#include "server/engine/Connections.h"
#include "server/engine/DropReason.h"
#include "server/engine/ServerLog.h"
#include "server/game/PlayerText.h"

namespace {

constexpr Askers kPlayers {Asker::Admin, Asker::Player};

} // namespace

bool Watchers::Admit(platform::PlayerId id, int shipType, const char* requestedName)
{
    Connection* connection = s.connections.Find(id);
    if (!connection || count >= s.places)
        return false;
    connection->shipType = shipType;
    connection->name = FreeName(requestedName);
    if (!Watch(id, *connection))
        return false;
    s.log.Line("%s watches", s.connections.Describe(id).c_str());
    // Without a ship of its own, nothing else on the screen shows the name.
    if (connection->name != CleanName(requestedName))
        s.game.Tell(connection->slot, ("You watch as " + connection->name + ".").c_str());
    return true;
}

std::string Watchers::FreeName(const char* requestedName) const
{
    const std::vector<HostedGame::Seat> seats = s.game.Seats();
    return UniqueName(CleanName(requestedName), [&](const std::string& candidate) {
        for (const HostedGame::Seat& seat : seats) {
            if (seat.name == candidate)
                return true;
        }
        return HasName(candidate);
    });
}

bool Watchers::HasName(const std::string& name) const
{
    for (const auto& [id, connection] : s.connections.All()) {
        if (connection.watching && connection.Joined() && connection.name == name)
            return true;
    }
    return false;
}

bool Watchers::Watch(platform::PlayerId id, Connection& connection)
{
    const int slot = s.game.WatchAs(connection.name);
    if (slot == HostedGame::kNobody)
        return false;
    s.connections.Seat(id, slot, connection.name);
    connection.watching = true;
    Counted(1);
    return true;
}

void Watchers::Left()
{
    Counted(-1);
}

void Watchers::Counted(int change)
{
    count += change;
    s.game.CountWatchers(count);
}

void Watchers::Chat(const Connection& connection, const char* text)
{
    const std::string line = ChatLine(connection.name + kWatchingMark, text);
    if (line.empty())
        return;
    s.game.Tell(HostedGame::kNobody, line.c_str());
    s.log.Line("chat: %s", line.c_str());
}

std::vector<CommandRegistry::Command> Watchers::Commands()
{
    return {
        {"spectate", "", "give up the ship and watch the game", kPlayers, "",
         [this](const CommandRegistry::Request& request) { return Spectate(request); }},
        {"join", "", "take a seat in the game, when one is free, after watching", kPlayers, "",
         [this](const CommandRegistry::Request& request) { return Join(request); }},
    };
}

bool Watchers::Spectate(const CommandRegistry::Request& request)
{
    if (!request.arguments.empty())
        return false;
    Connection* connection = s.connections.Find(request.caller);
    if (!connection || connection->watching) {
        request.reply("You are watching already: /join takes a seat.");
        return true;
    }
    // The watcher's slot is taken before the seat is given up: a robot
    // filling the seat could take the last slot, and leave the player none.
    const int seat = connection->slot;
    s.connections.Unseat(request.caller);
    if (count >= s.places || !Watch(request.caller, *connection)) {
        s.connections.Seat(request.caller, seat, connection->name);
        s.log.Line("%s keeps the ship: no place to watch is free", s.connections.Describe(request.caller).c_str());
        request.reply(TextOf(DropReason::NoPlaceToWatch).told);
        return true;
    }
    s.game.Leave(seat);
    s.moved(request.caller, false);
    s.log.Line("%s gives up the ship and watches", s.connections.Describe(request.caller).c_str());
    s.game.Tell(connection->slot, "You watch the game now: /join takes a seat again.");
    return true;
}

bool Watchers::Join(const CommandRegistry::Request& request)
{
    if (!request.arguments.empty())
        return false;
    Connection* connection = s.connections.Find(request.caller);
    if (!connection || !connection->watching) {
        request.reply("You fly a ship already.");
        return true;
    }
    if (s.game.Look().people >= s.seats) {
        s.log.Line("%s watches on: no seat is free", s.connections.Describe(request.caller).c_str());
        request.reply("No seat is free: all " + std::to_string(s.seats) + " are taken. /join again later.");
        return true;
    }
    s.game.Leave(connection->slot);
    s.connections.Unseat(request.caller);
    connection->watching = false;
    Counted(-1);
    const int slot = s.game.Join(connection->name.c_str(), connection->shipType);
    for (const HostedGame::Seat& seat : s.game.Seats()) {
        if (seat.slot == slot && slot != HostedGame::kNobody)
            s.connections.Seat(request.caller, slot, seat.name);
    }
    s.log.Line("%s takes a seat", s.connections.Describe(request.caller).c_str());
    s.moved(request.caller, true);
    return true;
}

std::vector<std::string> Watchers::StatusLines() const
{
    std::vector<std::string> lines;
    if (count == 0)
        return lines;
    lines.push_back(::Counted(count, "watcher", "watchers") + " of " + std::to_string(s.places) + " places");
    for (const auto& [id, connection] : s.connections.All()) {
        if (connection.watching && connection.Joined())
            lines.push_back("  " + s.connections.Describe(id) + ", watching");
    }
    return lines;
}
