#include "server/engine/BanList.h"

#include <charconv>
#include <ctime>

#include "base/Trimmed.h"
#include "server/engine/DottedAddress.h"

namespace {

constexpr std::size_t kLongestNote = 200;
constexpr std::int64_t kLifted = -1;

// A line stays one line, and readable.
std::string Readable(const std::string& line)
{
    std::string clean;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        clean += byte >= ' ' && byte != 127 ? c : ' ';
    }
    return Trimmed(clean);
}

// A note the server makes is short too, for /bans.
std::string Clean(const std::string& note)
{
    std::string cut = Readable(note);
    if (cut.size() > kLongestNote) {
        // Not inside a character of more than one byte.
        std::size_t end = kLongestNote;
        while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80)
            --end;
        cut.resize(end);
    }
    return Trimmed(cut);
}

bool ReadField(const char* at, int digits, int low, int high, int& out)
{
    const auto [end, error] = std::from_chars(at, at + digits, out);
    return error == std::errc() && end == at + digits && out >= low && out <= high;
}

// The reason a line is no ban, or empty for a ban.
std::string ReadBan(const std::string& line, std::int64_t now, BanList::Ban& ban, bool& ended)
{
    const std::size_t hash = line.find('#');
    const std::string fields = Trimmed(line.substr(0, hash));
    const std::size_t space = fields.find_first_of(" \t");
    const std::string address = fields.substr(0, space);
    const std::string until = space == std::string::npos ? "forever" : Trimmed(fields.substr(space));
    if (!ReadDottedAddress(address, ban.address))
        return "\"" + Clean(address).substr(0, 40) + "\" is not an IPv4 address";
    if (until == "forever")
        ban.until = 0;
    else if (until == "lifted")
        ban.until = kLifted;
    else if (!BanList::ReadTime(until, ban.until))
        return "\"" + Clean(until).substr(0, 40) + "\" is neither \"forever\" nor a time like 2026-12-08T05:00:00Z";
    ban.note = hash == std::string::npos ? "" : Clean(line.substr(hash + 1));
    ended = ban.until != 0 && ban.until <= now;
    return "";
}

} // namespace

void BanList::Read(const std::string& text, std::int64_t now, const Skipped& skipped)
{
    bans.clear();
    otherLines.clear();
    outworn = 0;
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::string trimmed = Trimmed(line);
        if (trimmed.empty() || trimmed.front() == '#') {
            otherLines.push_back(Readable(line));
            continue;
        }
        Ban ban;
        bool ended = false;
        const std::string wrong = ReadBan(trimmed, now, ban, ended);
        if (!wrong.empty()) {
            skipped(number, wrong);
            otherLines.push_back(Readable("# " + line));
            continue;
        }
        // Whatever the address had before, this line overrules.
        outworn += Remove(ban.address) ? 1 : 0;
        if (ended)
            ++outworn;
        else
            Add(ban);
    }
}

std::string BanList::Text() const
{
    std::string text;
    for (const std::string& line : otherLines)
        text += line + "\n";
    for (const auto& [address, ban] : bans)
        text += LineOf(ban);
    return text;
}

std::string BanList::LineOf(const Ban& ban)
{
    const std::string note = Clean(ban.note);
    return DottedAddress(ban.address) + " " + (ban.until ? TimeText(ban.until) : "forever") +
           (note.empty() ? "\n" : " # " + note + "\n");
}

std::string BanList::LiftedLine(std::uint32_t address, const std::string& note)
{
    const std::string clean = Clean(note);
    return DottedAddress(address) + " lifted" + (clean.empty() ? "\n" : " # " + clean + "\n");
}

bool BanList::IsBanned(std::uint32_t address, std::int64_t now) const
{
    const auto found = bans.find(address);
    return found != bans.end() && (found->second.until == 0 || found->second.until > now);
}

void BanList::Add(const Ban& ban)
{
    bans.insert_or_assign(ban.address, Ban {ban.address, ban.until, Clean(ban.note)});
}

bool BanList::Remove(std::uint32_t address)
{
    return bans.erase(address) > 0;
}

bool BanList::ReadTime(const std::string& text, std::int64_t& seconds)
{
    // 2026-12-08T05:00:00Z
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return false;
    std::tm parts {};
    int year = 0, month = 0;
    if (!ReadField(&text[0], 4, 1970, 9999, year) || !ReadField(&text[5], 2, 1, 12, month) ||
        !ReadField(&text[8], 2, 1, 31, parts.tm_mday) || !ReadField(&text[11], 2, 0, 23, parts.tm_hour) ||
        !ReadField(&text[14], 2, 0, 59, parts.tm_min) || !ReadField(&text[17], 2, 0, 59, parts.tm_sec))
        return false;
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    const std::int64_t read = static_cast<std::int64_t>(timegm(&parts));
    // The 31st of February is no day, though timegm makes one of it.
    if (TimeText(read) != text)
        return false;
    seconds = read;
    return true;
}

std::string BanList::TimeText(std::int64_t seconds)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts {};
    gmtime_r(&time, &parts);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}
