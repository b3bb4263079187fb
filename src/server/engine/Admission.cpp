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
    return options.banFile.empty() || ReadBans(error);
}

bool Admission::ReadBans(std::string& error)
{
    if (options.banFile.empty()) {
        error = "the server keeps no ban file: start it with --ban-file FILE";
        return false;
    }
    if (!platform::FileExists(options.banFile)) {
        bans = BanList();
        unkept.clear();
        log.Always("no bans yet: %s is made with the first", options.banFile.c_str());
        return true;
    }
    std::string why;
    const auto bytes = platform::ReadWholeFile(options.banFile, BanList::kLargestFile, why);
    if (!bytes) {
        error = "the ban file cannot be read: " + why;
        return false;
    }
    // Lines the file could not take yet still hold, after its own.
    std::string text(bytes->begin(), bytes->end());
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    // A file of rubbish is told in a few lines, not one a line.
    int skipped = 0;
    bans.Read(text + unkept, platform::WallSeconds(), [&](int line, const std::string& why) {
        if (++skipped <= kSkippedShown)
            log.Line("%s:%d: skipped: %s", options.banFile.c_str(), line, why.c_str());
    });
    if (skipped > kSkippedShown)
        log.Always("%s: %d more lines skipped", options.banFile.c_str(), skipped - kSkippedShown);
    log.Always("%zu %s from %s", bans.Bans().size(), bans.Bans().size() == 1 ? "ban" : "bans",
               options.banFile.c_str());
    if (!unkept.empty())
        log.Always("%s has no room yet for the latest bans, which hold all the same", options.banFile.c_str());
    if (bans.Outworn() > 0 && Tidy())
        unkept.clear();
    return true;
}

bool Admission::Tidy()
{
    // Mistakes grow as comments: a file that would pass what is read stays.
    const std::string text = bans.Text();
    std::string error;
    if (text.size() > BanList::kLargestFile) {
        log.Always("%s keeps its outworn lines: without them it would still pass %zu bytes", options.banFile.c_str(),
                   BanList::kLargestFile);
        return false;
    }
    if (!platform::ReplaceFile(options.banFile, text, error)) {
        log.Always("cannot tidy the bans: %s", error.c_str());
        return false;
    }
    return true;
}

bool Admission::KeepLine(const std::string& line, std::string& error)
{
    if (options.banFile.empty())
        return true;
    unkept += line;
    if (!platform::AppendToFile(options.banFile, unkept, BanList::kLargestFile, error)) {
        log.Always("cannot keep the bans: %s", error.c_str());
        return false;
    }
    unkept.clear();
    return true;
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

void Admission::CountUnproven(std::uint64_t total, std::uint64_t now)
{
    if (total == unprovenLogged || (unprovenEverLogged && now - unprovenLoggedAt < kUnprovenLogMs))
        return;
    const std::uint64_t fresh = total - unprovenLogged;
    log.Always("dropped %llu %s without the cookie of %s address: forged source addresses, or not the game's program",
               static_cast<unsigned long long>(fresh), fresh == 1 ? "connect" : "connects",
               fresh == 1 ? "its" : "their");
    unprovenLogged = total;
    unprovenLoggedAt = now;
    unprovenEverLogged = true;
}
