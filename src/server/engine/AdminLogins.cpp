#include "server/engine/AdminLogins.h"

#include <algorithm>
#include <utility>

#include "platform/WholeFile.h"

bool AdminLogins::Load(const std::string& path, std::string& error)
{
    std::string why;
    const auto bytes = platform::ReadWholeFile(path, kLargestFile, why);
    if (!bytes) {
        error = "the admin password file cannot be read: " + why;
        return false;
    }
    std::string line(bytes->begin(), std::find(bytes->begin(), bytes->end(), '\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    if (line.empty() || line.size() > kLongestPassword || line.find('\0') != std::string::npos) {
        error = "the first line of the admin password file " + path + " must be the password, 1 to " +
                std::to_string(kLongestPassword) + " characters";
        return false;
    }
    password = line;
    return true;
}

AdminLogins::Outcome AdminLogins::Try(std::uint32_t address, const std::string& attempt, std::uint64_t nowMs)
{
    if (!Open())
        return Outcome::NoLogins;
    Forget(nowMs);
    refusalIsNews = false;
    if (BusyMs(nowMs) > 0) {
        refusalIsNews = !std::exchange(busyTold, true);
        return Outcome::Busy;
    }
    busyTold = false;
    Record& record = records[address];
    record.lastAt = nowMs;
    if (record.lockedUntil > nowMs) {
        refusalIsNews = !std::exchange(record.refusalTold, true);
        return Outcome::LockedOut;
    }
    if (Matches(attempt)) {
        records.erase(address);
        return Outcome::LoggedIn;
    }
    return Wrong(record, nowMs);
}

AdminLogins::Outcome AdminLogins::Wrong(Record& record, std::uint64_t nowMs)
{
    wrongAll.push_back(nowMs);
    record.wrongAt.push_back(nowMs);
    record.refusalTold = false;
    ++record.streak;
    if (static_cast<int>(record.wrongAt.size()) >= kTriesPerMinute) {
        record.lockedUntil = nowMs + kLockMs;
        record.wrongAt.clear();
        return Outcome::WrongAndLocked;
    }
    // Two slips cost nothing; each wrong try after them doubles the wait.
    const int slips = kTriesPerMinute - 1;
    if (record.streak > slips)
        record.lockedUntil = nowMs + std::min(kFirstWaitMs << std::min(record.streak - slips - 1, 20), kLockMs);
    return Outcome::Wrong;
}

int AdminLogins::MinutesLocked(std::uint32_t address, std::uint64_t nowMs) const
{
    const auto found = records.find(address);
    if (found == records.end() || found->second.lockedUntil <= nowMs)
        return 0;
    return static_cast<int>((found->second.lockedUntil - nowMs + kMinuteMs - 1) / kMinuteMs);
}

std::uint64_t AdminLogins::WaitMs(std::uint32_t address, std::uint64_t nowMs) const
{
    const auto found = records.find(address);
    const std::uint64_t locked =
        found == records.end() || found->second.lockedUntil <= nowMs ? 0 : found->second.lockedUntil - nowMs;
    return std::max(locked, BusyMs(nowMs));
}

std::uint64_t AdminLogins::BusyMs(std::uint64_t nowMs) const
{
    if (wrongAll.size() < kWrongPerMinuteAll || nowMs - wrongAll.front() >= kMinuteMs)
        return 0;
    return wrongAll.front() + kMinuteMs - nowMs;
}

// Every character is compared, so that the time taken tells nothing of
// how much of a guess was right.
bool AdminLogins::Matches(const std::string& attempt) const
{
    unsigned differ = attempt.size() != password.size();
    for (std::size_t i = 0; i < password.size(); ++i)
        differ |= static_cast<unsigned char>(password[i]) ^ static_cast<unsigned char>(i < attempt.size() ? attempt[i] : 0);
    return differ == 0;
}

void AdminLogins::Forget(std::uint64_t nowMs)
{
    for (auto& [address, record] : records) {
        std::erase_if(record.wrongAt, [&](std::uint64_t at) { return nowMs - at >= kMinuteMs; });
    }
    while (!wrongAll.empty() && nowMs - wrongAll.front() >= kMinuteMs)
        wrongAll.pop_front();
    std::erase_if(records, [&](const auto& entry) {
        return entry.second.wrongAt.empty() && entry.second.lockedUntil <= nowMs &&
               nowMs - entry.second.lastAt >= kQuietMs;
    });
    while (records.size() >= kAddressesKept) {
        const auto oldest = std::min_element(records.begin(), records.end(), [](const auto& a, const auto& b) {
            return a.second.lastAt < b.second.lastAt;
        });
        records.erase(oldest);
    }
}
