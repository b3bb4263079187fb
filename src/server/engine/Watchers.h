#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/SessionServer.h"
#include "server/engine/CommandRegistry.h"
#include "server/game/HostedGame.h"

class Connections;
struct Connection;
class ServerLog;

// People who watch the game without a ship: how many may, who does, and
// the moves between watching and flying (/spectate and /join). A watcher
// holds a slot of the game's that is no seat, so it never counts as a
// player for the robots, the rounds or the seats announced.
class Watchers {
public:
    struct Parts {
        int places;      // --spectator-slots
        int seats;       // --max-players
        ServerLog& log;
        HostedGame& game;
        Connections& connections;
        // After a player took a seat (true) or gave one up (false).
        std::function<void(platform::PlayerId id, bool flying)> moved;
    };

    explicit Watchers(Parts parts) : s(std::move(parts)) {}

    // The connection watches from now on, told so and shown the game;
    // false when no place is free.
    bool Admit(platform::PlayerId id, int shipType, const char* requestedName);
    // The requested name, cleaned, that no pilot, robot or watcher has: one
    // name reaches one person.
    std::string FreeName(const char* requestedName) const;
    // A watcher is known by the name.
    bool HasName(const std::string& name) const;
    // A watcher's connection is gone.
    void Left();
    int Count() const { return count; }
    int Places() const { return s.places; }
    // A watcher's line of chat, for everyone, marked as a watcher's.
    void Chat(const Connection& connection, const char* text);
    // /spectate and /join, for players.
    std::vector<CommandRegistry::Command> Commands();
    // The status's lines about them, while any watch: their number, then
    // each one.
    std::vector<std::string> StatusLines() const;

private:
    bool Spectate(const CommandRegistry::Request& request);
    bool Join(const CommandRegistry::Request& request);
    // Into a watcher's slot; false when the game has none left.
    bool Watch(platform::PlayerId id, Connection& connection);
    void Counted(int change);

    Parts s;
    int count = 0;
};
