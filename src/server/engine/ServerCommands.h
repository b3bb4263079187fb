#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/SessionServer.h"
#include "server/engine/CommandRegistry.h"
#include "server/engine/DropReason.h"
#include "server/game/HostedGame.h"

class Admission;
class Connections;
class ServerLog;
struct ServerOptions;

// The server's commands, the engine's and the game's in one registry: what
// the operator types at the console, and what players ask for with /server
// (ServerCommands.cpp; logins and bans in AdminCommands.cpp).
class ServerCommands {
public:
    using Request = CommandRegistry::Request;

    // What the commands act on, and what only the server itself does.
    struct Parts {
        const ServerOptions& options;
        ServerLog& log;
        HostedGame& game;
        Connections& connections;
        Admission& admission;
        std::function<void(platform::PlayerId id, DropReason why)> drop;
        std::function<void()> halt;
        // The last lines of the status: the recording and the ticks.
        std::function<std::vector<std::string>()> figures;
    };

    explicit ServerCommands(Parts parts);
    // The registry's bodies hold on to this object.
    ServerCommands(const ServerCommands&) = delete;
    ServerCommands& operator=(const ServerCommands&) = delete;

    const CommandRegistry& Registry() const { return registry; }
    // A command the server keeps elsewhere, in the same registry.
    void Add(CommandRegistry::Command command) { registry.Add(std::move(command)); }
    // The operator's commands with their help lines, as /help lists them.
    static std::string Help();

private:
    bool Status(const Request& request);
    bool Kick(const Request& request);
    bool Say(const Request& request);
    bool Halt(const Request& request);
    bool Login(const Request& request);
    bool Ban(const Request& request);
    bool Unban(const Request& request);
    bool Bans(const Request& request);
    bool ReloadBans(const Request& request);

    // A command of the engine's own: its registry entry but for the body.
    struct Entry {
        const char* name;
        const char* synopsis;
        const char* help;
        Askers who;
        const char* refusal;
        bool (ServerCommands::*body)(const Request&);
    };
    static const Entry kEntries[];

    // The game's commands are for admins and the operator, or for every
    // player; each is told the slot of the player who asks.
    using SlotOf = std::function<int(std::uint32_t caller)>;
    static CommandRegistry::Command FromGame(const HostedGame::Command& command, const SlotOf& slotOf);
    std::string RoundLine() const;
    // The player of that name; else the one whose name differs only in
    // case; false when there is none.
    bool Find(const std::string& name, HostedGame::Seat& seat) const;
    // Every connection from an address banned now goes; how many went.
    int DropBanned();
    // The line into the ban file: "" once kept there, else what the reply adds.
    std::string KeptBans(const std::string& line);

    Parts s;
    CommandRegistry registry;
};
