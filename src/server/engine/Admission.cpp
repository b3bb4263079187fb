#include "server/engine/Admission.h"

#include "platform/Clock.h"
#include "platform/WholeFile.h"
#include "server/engine/Connections.h"
#include "server/engine/DottedAddress.h"
#include "server/engine/ServerLog.h"
#include "server/engine/ServerOptions.h"

bool Admission::Load(std::string& error)
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

bool Admission::ReadBans(bool told, std::string& error)
{
    if (options.banFile.empty()) {
        error = "the server keeps no ban file: start it with --ban-file FILE";
        return false;
    }
    if (!platform::FileExists(options.banFile)) {
        bans = BanList();
        kept = true;
        if (told)
            log.Always("no bans yet: %s is made with the first", options.banFile.c_str());
        return true;
    }
    std::string why;
    const auto bytes = platform::ReadWholeFile(options.banFile, BanList::kLargestFile, why);
    if (!bytes) {
        error = "the ban file cannot be read: " + why;
        return false;
    }
    kept = true;
    bans.Read(std::string(bytes->begin(), bytes->end()), platform::WallSeconds(), [&](int line, const std::string& why) {
        if (told)
            log.Line("%s:%d: skipped: %s", options.banFile.c_str(), line, why.c_str());
    });
    if (told)
        log.Always("%zu %s from %s", bans.Bans().size(), bans.Bans().size() == 1 ? "ban" : "bans",
                   options.banFile.c_str());
    return true;
}

void Admission::RereadBans()
{
    std::string error;
    if (!options.banFile.empty() && kept && !ReadBans(false, error))
        log.Always("%s; the bans as the server knows them are kept", error.c_str());
}

bool Admission::WriteBans(std::string& error)
{
    if (options.banFile.empty())
        return true;
    kept = platform::ReplaceFile(options.banFile, bans.Text(), error);
    if (!kept)
        log.Always("cannot keep the bans: %s", error.c_str());
    return kept;
}

bool Admission::Admits(std::uint32_t address)
{
    if (!bans.IsBanned(address, platform::WallSeconds()))
        return true;
    ++refused;
    log.Line("refusing %s: banned", DottedAddress(address).c_str());
    return false;
}

Asker Admission::AskerOf(const Connection& connection) const
{
    return connection.admin || (options.trustLocal && IsLocal(connection.address)) ? Asker::Admin : Asker::Player;
}
