#pragma once

#include <cstdint>
#include <string>

#include "server/engine/AdminLogins.h"
#include "server/engine/BanList.h"
#include "server/engine/CommandRegistry.h"

struct Connection;
struct ServerOptions;
class ServerLog;

// Who comes in and who may run the server's commands: the bans, kept in
// the ban file, and the admins, who logged in with the password.
class Admission {
public:
    Admission(const ServerOptions& options, ServerLog& log) : options(options), log(log) {}

    // The admin password and the bans, as the options name them.
    bool Load(std::string& error);
    // A banned address is refused before it is taken in.
    bool Admits(std::uint32_t address);
    // What a player may run: as an admin once logged in, or from this
    // machine while it is trusted.
    Asker AskerOf(const Connection& connection) const;
    AdminLogins& Logins() { return logins; }

    BanList& Bans() { return bans; }
    const BanList& Bans() const { return bans; }
    long long Refused() const { return refused; }
    // Reads the ban file again, each line skipped logged, the lines it
    // could not take yet holding after its own; false, with the reason,
    // when it cannot be read. A file with outworn lines is written again
    // without them, when that fits.
    bool ReadBans(std::string& error);
    // A ban, or the lifting of one, as a line at the end of the ban file:
    // quick, and the operator's edits stay. False, with the reason, when the
    // file cannot take it; the line is tried again with the next.
    bool KeepLine(const std::string& line, std::string& error);

private:
    static bool IsLocal(std::uint32_t address) { return address >> 24 == 127; }
    // Writes the bans afresh; false, logged, when it cannot.
    bool Tidy();

    const ServerOptions& options;
    ServerLog& log;
    AdminLogins logins;
    BanList bans;
    std::string unkept; // lines the ban file could not take yet
    long long refused = 0;
};
