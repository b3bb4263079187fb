// Who comes in and who may run the server's commands: the bans, kept in
// the ban file, and the admins, who logged in with the password.
#include "server/engine/GameServer.h"

#include "platform/Clock.h"
#include "platform/WholeFile.h"
#include "server/engine/DottedAddress.h"
#include "server/engine/ServerLog.h"

bool GameServer::LoadAdmission(std::string& error)
{
    if (!options.adminPasswordFile.empty()) {
        if (!logins.Load(options.adminPasswordFile, error))
            return false;
        log.Always("admins log in with the password in %s", options.adminPasswordFile.c_str());
    }
    if (!options.trustLocal)
        log.Always("players on this machine are trusted no more than any other");
    return options.banFile.empty() || ReadBans(true, error);
}

bool GameServer::ReadBans(bool told, std::string& error)
{
    if (options.banFile.empty()) {
        error = "the server keeps no ban file: start it with --ban-file FILE";
        return false;
    }
    if (!platform::FileExists(options.banFile)) {
        bans = BanList();
        bansKept = true;
        if (told)
            log.Always("no bans yet: %s is made with the first", options.banFile.c_str());
        return true;
    }
    const auto bytes = platform::ReadWholeFile(options.banFile, BanList::kLargestFile);
    if (!bytes) {
        error = "the ban file " + options.banFile + " cannot be read, or holds more than 4 MiB";
        return false;
    }
    bansKept = true;
    bans.Read(std::string(bytes->begin(), bytes->end()), platform::WallSeconds(), [&](int line, const std::string& why) {
        if (told)
            log.Line("%s:%d: skipped: %s", options.banFile.c_str(), line, why.c_str());
    });
    if (told)
        log.Always("%zu %s from %s", bans.Bans().size(), bans.Bans().size() == 1 ? "ban" : "bans",
                   options.banFile.c_str());
    return true;
}

bool GameServer::WriteBans(std::string& error)
{
    if (options.banFile.empty())
        return true;
    bansKept = platform::ReplaceFile(options.banFile, bans.Text(), error);
    if (!bansKept)
        log.Always("cannot keep the bans: %s", error.c_str());
    return bansKept;
}

bool GameServer::Admits(std::uint32_t address)
{
    if (!bans.IsBanned(address, platform::WallSeconds()))
        return true;
    ++bansRefused;
    log.Line("refusing %s: banned", DottedAddress(address).c_str());
    return false;
}

Asker GameServer::AskerOf(const Connection& connection) const
{
    return connection.admin || (options.trustLocal && IsLocal(connection.address)) ? Asker::Admin : Asker::Player;
}
