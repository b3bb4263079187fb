#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The admin password, and the addresses that guessed it wrong too often:
// three wrong tries within a minute keep an address from logging in for
// ten minutes. Times are the game's clock, in milliseconds.
class AdminLogins {
public:
    static constexpr int kTriesPerMinute = 3;
    static constexpr std::uint64_t kMinuteMs = 60 * 1000;
    static constexpr std::uint64_t kLockMs = 10 * kMinuteMs;
    static constexpr std::size_t kLongestPassword = 256;
    // The file holds a password, not a document.
    static constexpr std::size_t kLargestFile = 4096;
    // Addresses remembered at most; the oldest go first.
    static constexpr std::size_t kAddressesKept = 4096;

    enum class Outcome { LoggedIn, Wrong, LockedOut, NoLogins };

    // The password is the file's first line, spaces at its end left out.
    // False, with the reason, for a file that cannot be read or holds no
    // password.
    bool Load(const std::string& path, std::string& error);
    bool Open() const { return !password.empty(); }

    Outcome Try(std::uint32_t address, const std::string& attempt, std::uint64_t nowMs);
    // Whole minutes, rounded up, until a locked address may try again; 0
    // for one that is not locked.
    int MinutesLocked(std::uint32_t address, std::uint64_t nowMs) const;

private:
    struct Record {
        std::vector<std::uint64_t> wrongAt; // within the last minute
        std::uint64_t lockedUntil = 0;
        std::uint64_t lastAt = 0;
    };

    bool Matches(const std::string& attempt) const;
    void Forget(std::uint64_t nowMs);

    std::string password;
    std::map<std::uint32_t, Record> records;
};
