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
    // Reads the ban file again; false, with the reason, when it cannot be.
    // Each line skipped is logged when told is set.
    bool ReadBans(bool told, std::string& error);
    // The file as it stands now, so that edits by hand are kept; not after
    // a write failed, when the bans here are the newer.
    void RereadBans();
    // The bans as they stand into the ban file, when there is one; false,
    // with the reason, when it cannot be written.
    bool WriteBans(std::string& error);

private:
    static bool IsLocal(std::uint32_t address) { return address >> 24 == 127; }

    const ServerOptions& options;
    ServerLog& log;
    AdminLogins logins;
    BanList bans;
    bool kept = true; // the ban file holds them: a failed write leaves the newer here
    long long refused = 0;
};
