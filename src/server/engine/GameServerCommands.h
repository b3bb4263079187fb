#pragma once

#include <cstdint>
#include <string>

#include "server/engine/GameServer.h"

// The bodies of the server's commands, run through its registry with the
// server's insides at hand (GameServerCommands.cpp, and the bans and logins
// in GameServerAdminCommands.cpp).
class GameServerCommands {
public:
    using Request = CommandRegistry::Request;

    explicit GameServerCommands(GameServer& server) : s(server) {}

    bool Status(const Request& request);
    bool Map(const Request& request);
    bool Next(const Request& request);
    bool Bots(const Request& request);
    bool Kick(const Request& request);
    bool Say(const Request& request);
    bool Halt(const Request& request);
    bool Login(const Request& request);
    bool Ban(const Request& request);
    bool Unban(const Request& request);
    bool Bans(const Request& request);
    bool ReloadBans(const Request& request);

private:
    std::string RoundLine() const;
    // The player of that name; else the one whose name differs only in
    // case; else null.
    Player* Find(const std::string& name) const;
    // Every connection from an address banned now goes; how many went.
    int DropBanned();
    // The file as it stands now, so that edits by hand are kept; not after
    // a write failed, when the bans here are the newer.
    void RereadBans();
    std::string KeptBans();

    GameServer& s;
};
