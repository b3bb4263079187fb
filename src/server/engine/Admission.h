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
    // The session's count of connects dropped for want of their address's
    // cookie: forged source addresses, mostly. The first is logged at once,
    // the rest at most once a minute, so a flood is seen but not echoed.
    void CountUnproven(std::uint64_t total, std::uint64_t now);
    static constexpr std::uint64_t kUnprovenLogMs = 60000;
    // Lines of the ban file told as skipped, at most; the rest are counted.
    static constexpr int kSkippedShown = 10;

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
    std::uint64_t unprovenLogged = 0;
    std::uint64_t unprovenLoggedAt = 0;
    bool unprovenEverLogged = false;
};
