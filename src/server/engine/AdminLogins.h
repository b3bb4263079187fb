#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

// The admin password, and the addresses that guessed it wrong too often:
// three wrong tries within a minute keep an address from logging in for
// ten minutes. After two wrong tries an address also waits before its
// next, 1 s, then 2 s, 4 s ... up to ten minutes, until it logs in or
// keeps quiet for an hour; and past a number of wrong tries a minute from
// all addresses together nobody tries until the minute has passed. Times
// are the game's clock, in milliseconds.
class AdminLogins {
public:
    static constexpr int kTriesPerMinute = 3;
    static constexpr std::uint64_t kMinuteMs = 60 * 1000;
    static constexpr std::uint64_t kLockMs = 10 * kMinuteMs;
    static constexpr std::uint64_t kFirstWaitMs = 1000;
    static constexpr std::uint64_t kQuietMs = 60 * kMinuteMs;
    static constexpr std::size_t kWrongPerMinuteAll = 30;
    static constexpr std::size_t kLongestPassword = 256;
    // The file holds a password, not a document.
    static constexpr std::size_t kLargestFile = 4096;
    // Addresses remembered at most; the oldest go first.
    static constexpr std::size_t kAddressesKept = 4096;

    // WrongAndLocked: the third wrong try within a minute. Busy: too many
    // wrong tries from all addresses within the last minute.
    enum class Outcome { LoggedIn, Wrong, WrongAndLocked, LockedOut, Busy, NoLogins };

    // The password is the file's first line, spaces at its end left out.
    // False, with the reason, for a file that cannot be read or holds no
    // password.
    bool Load(const std::string& path, std::string& error);
    bool Open() const { return !password.empty(); }

    Outcome Try(std::uint32_t address, const std::string& attempt, std::uint64_t nowMs);
    // Whole minutes, rounded up, until a locked address may try again; 0
    // for one that is not locked.
    int MinutesLocked(std::uint32_t address, std::uint64_t nowMs) const;
    // Milliseconds until the address may try again, all addresses' limit
    // included; 0 when it may try now.
    std::uint64_t WaitMs(std::uint32_t address, std::uint64_t nowMs) const;
    // Whether the last LockedOut or Busy was the first of its lock, the one
    // worth a log line.
    bool RefusalIsNews() const { return refusalIsNews; }

private:
    struct Record {
        std::vector<std::uint64_t> wrongAt; // within the last minute
        std::uint64_t lockedUntil = 0;
        std::uint64_t lastAt = 0;
        int streak = 0; // wrong tries since the last login
        bool refusalTold = false;
    };

    bool Matches(const std::string& attempt) const;
    void Forget(std::uint64_t nowMs);

    std::string password;
    Outcome Wrong(Record& record, std::uint64_t nowMs);
    std::uint64_t BusyMs(std::uint64_t nowMs) const;

    std::map<std::uint32_t, Record> records;
    std::deque<std::uint64_t> wrongAll; // every address's, within the last minute
    bool busyTold = false;
    bool refusalIsNews = false;
};
