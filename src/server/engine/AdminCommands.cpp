// The commands of admins' logins and of the bans.
#include "server/engine/ServerCommands.h"

#include <charconv>

#include "platform/Clock.h"
#include "server/engine/Admission.h"
#include "server/engine/Connections.h"
#include "server/engine/DottedAddress.h"
#include "server/engine/ServerLog.h"
#include "server/engine/ServerOptions.h"
#include "server/game/PlayerText.h"

namespace {

using Request = ServerCommands::Request;

// Ten years: longer is for good.
constexpr int kLongestBanMinutes = 10 * 365 * 24 * 60;

// "Bob 30" is Bob for 30 minutes; a name that is a number alone is a name.
void SplitMinutes(std::string& target, int& minutes)
{
    const std::size_t space = target.find_last_of(" \t");
    if (space == std::string::npos)
        return;
    const std::string last = target.substr(space + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(last.data(), last.data() + last.size(), value);
    if (error != std::errc() || end != last.data() + last.size())
        return;
    minutes = value;
    target = target.substr(0, target.find_last_not_of(" \t", space) + 1);
}

std::string Lasting(int minutes)
{
    return minutes ? "for " + Counted(minutes, "minute", "minutes") : "for good";
}

// Under a minute in seconds, so that a short wait is not told as a minute.
std::string LoginWait(const AdminLogins& logins, std::uint32_t address, std::uint64_t nowMs)
{
    const std::uint64_t ms = logins.WaitMs(address, nowMs);
    if (ms < AdminLogins::kMinuteMs)
        return Counted(static_cast<long long>((ms + 999) / 1000), "second", "seconds");
    return Counted(static_cast<long long>((ms + AdminLogins::kMinuteMs - 1) / AdminLogins::kMinuteMs), "minute",
                   "minutes");
}

} // namespace

bool ServerCommands::Login(const Request& request)
{
    if (request.arguments.empty())
        return false;
    Connection* found = s.connections.Find(request.caller);
    if (!found)
        return true;
    Connection& connection = *found;
    if (connection.admin) {
        request.reply("You are logged in already.");
        return true;
    }
    const char* by = request.by.c_str();
    switch (s.admission.Logins().Try(connection.address, request.arguments, s.game.Now())) {
    case AdminLogins::Outcome::NoLogins:
        s.log.Line("%s tries to log in, but no admin password is set", by);
        request.reply("This server takes no admin logins.");
        break;
    case AdminLogins::Outcome::LoggedIn:
        connection.admin = true;
        s.log.Always("%s logs in as an admin", by);
        request.reply("You are logged in as an admin of this server.");
        break;
    case AdminLogins::Outcome::WrongAndLocked:
        s.log.Always("%s gives a wrong admin password, the third in a minute: no logins from its address for "
                     "10 minutes",
                     by);
        request.reply("Wrong password, the third in a minute:");
        request.reply("no more logins from your address for 10 minutes.");
        break;
    case AdminLogins::Outcome::Wrong:
        s.log.Always("%s gives a wrong admin password", by);
        request.reply("Wrong password.");
        break;
    case AdminLogins::Outcome::LockedOut:
        if (s.admission.Logins().RefusalIsNews())
            s.log.Line("%s tries to log in while its address is locked out", by);
        request.reply("Too many wrong passwords from your address: try again in " + LoginWait(s.admission.Logins(), connection.address, s.game.Now()) + ".");
        break;
    case AdminLogins::Outcome::Busy:
        if (s.admission.Logins().RefusalIsNews())
            s.log.Always("%s tries to log in, but too many wrong admin passwords came this minute: no logins for now",
                         by);
        request.reply("Too many wrong admin passwords reached this server: try again in " + LoginWait(s.admission.Logins(), connection.address, s.game.Now()) +
                      ".");
        break;
    }
    return true;
}

bool ServerCommands::Ban(const Request& request)
{
    std::string target = request.arguments;
    int minutes = 0;
    SplitMinutes(target, minutes);
    target = Unquoted(target);
    if (target.empty() || minutes < 0)
        return false;
    if (minutes > kLongestBanMinutes) {
        request.reply("At most " + std::to_string(kLongestBanMinutes) + " minutes; without MINUTES, for good.");
        return true;
    }
    std::uint32_t address = 0;
    std::string name;
    HostedGame::Seat seat;
    if (Find(target, seat)) {
        platform::PlayerId id = 0;
        if (!s.connections.AtSlot(seat.slot, id)) {
            request.reply(seat.name + " is a robot: /kick retires it.");
            return true;
        }
        address = s.connections.Find(id)->address;
        name = "\"" + seat.name + "\"";
    } else if (!ReadDottedAddress(target, address)) {
        request.reply("No player is named \"" + Drawable(target.c_str(), kMaxNameLength) + "\".");
        return true;
    }
    const std::string who = (name.empty() ? "" : name + " at ") + DottedAddress(address);
    const std::int64_t now = platform::WallSeconds();
    const BanList::Ban ban {address, minutes ? now + minutes * 60LL : 0,
                            (name.empty() ? "" : name + ", ") + "by " + request.by + ", " + BanList::TimeText(now)};
    s.admission.Bans().Add(ban);
    const std::string kept = KeptBans(BanList::LineOf(ban));
    s.log.Always("%s bans %s %s", request.by.c_str(), who.c_str(), Lasting(minutes).c_str());
    const int dropped = DropBanned();
    request.reply(who + " is banned " + Lasting(minutes) + (dropped ? " and dropped" : "") + kept + ".");
    return true;
}

bool ServerCommands::Unban(const Request& request)
{
    std::uint32_t address = 0;
    if (!ReadDottedAddress(request.arguments, address))
        return false;
    if (!s.admission.Bans().Remove(address)) {
        request.reply(DottedAddress(address) + " is not banned.");
        return true;
    }
    const std::string note = "by " + request.by + ", " + BanList::TimeText(platform::WallSeconds());
    const std::string kept = KeptBans(BanList::LiftedLine(address, note));
    s.log.Always("%s lets %s in again", request.by.c_str(), DottedAddress(address).c_str());
    request.reply(DottedAddress(address) + " may come in again" + kept + ".");
    return true;
}

bool ServerCommands::Bans(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    if (request.asker != Asker::Operator)
        s.log.Always("%s asks for the bans", request.by.c_str());
    const std::int64_t now = platform::WallSeconds();
    int shown = 0;
    for (const auto& [address, ban] : s.admission.Bans().Bans()) {
        if (ban.until != 0 && ban.until <= now)
            continue;
        const std::string until = ban.until ? "until " + BanList::TimeText(ban.until) : "for good";
        request.reply(DottedAddress(address) + " " + until + (ban.note.empty() ? "" : ": " + ban.note));
        ++shown;
    }
    if (!shown)
        request.reply("Nobody is banned.");
    return true;
}

bool ServerCommands::ReloadBans(const Request& request)
{
    if (!request.arguments.empty())
        return false;
    s.log.Always("%s reloads the bans", request.by.c_str());
    std::string error;
    if (!s.admission.ReadBans(error)) {
        request.reply("The bans stay as they were: " + error + ".");
        return true;
    }
    const int dropped = DropBanned();
    request.reply(Counted(static_cast<long long>(s.admission.Bans().Bans().size()), "ban", "bans") + " from " +
                  s.options.banFile + (dropped ? "; " + Counted(dropped, "player", "players") + " dropped" : "") +
                  ".");
    return true;
}

int ServerCommands::DropBanned()
{
    const std::int64_t now = platform::WallSeconds();
    std::vector<platform::PlayerId> going;
    for (const auto& [id, connection] : s.connections.All()) {
        if (s.admission.Bans().IsBanned(connection.address, now))
            going.push_back(id);
    }
    for (const platform::PlayerId id : going)
        s.drop(id, DropReason::Banned);
    return static_cast<int>(going.size());
}

std::string ServerCommands::KeptBans(const std::string& line)
{
    if (s.options.banFile.empty())
        return " (until the server stops: it keeps no ban file)";
    std::string error;
    return s.admission.KeepLine(line, error) ? "" : " (the ban file cannot be written: " + error + ")";
}
