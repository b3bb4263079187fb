#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Addresses the server refuses at connect, each for good or until a time,
// as a file an operator may also edit by hand, a ban a line:
//
//   203.0.113.7 forever          # "Bob" by the operator, 2026-12-08T04:00:00Z
//   198.51.100.2 2026-12-08T05:00:00Z
//   203.0.113.7 lifted           # by the operator, 2026-12-08T06:00:00Z
//
// Times are UTC, in seconds since 1970. The later line of an address
// stands, so that a change is a line added at the end. Lines that are no
// ban (comments, blanks, mistakes) are kept whole when the list is written
// again, mistakes as comments.
class BanList {
public:
    struct Ban {
        std::uint32_t address = 0; // host order
        std::int64_t until = 0;    // 0: for good
        std::string note;          // without its "#"
    };
    using Skipped = std::function<void(int line, const std::string& why)>;

    // No file is read beyond this.
    static constexpr std::size_t kLargestFile = 4 << 20;

    // Takes the list from a file's text; each line that is neither a ban,
    // a comment nor blank is told to skipped and kept as it is. Bans that
    // ended before now are left out.
    void Read(const std::string& text, std::int64_t now, const Skipped& skipped);
    // The lines read that count no more: lifted, ended or overruled bans.
    int Outworn() const { return outworn; }
    // The list whole, without the outworn lines.
    std::string Text() const;
    // The line that adds a ban at the end of the file, and the one that lifts it.
    static std::string LineOf(const Ban& ban);
    static std::string LiftedLine(std::uint32_t address, const std::string& note);

    bool IsBanned(std::uint32_t address, std::int64_t now) const;
    // Replaces any ban of the same address.
    void Add(const Ban& ban);
    bool Remove(std::uint32_t address);
    // By address.
    const std::map<std::uint32_t, Ban>& Bans() const { return bans; }

    // "2026-12-08T05:00:00Z"; false for any other form.
    static bool ReadTime(const std::string& text, std::int64_t& seconds);
    static std::string TimeText(std::int64_t seconds);

private:
    std::map<std::uint32_t, Ban> bans;
    std::vector<std::string> otherLines;
    int outworn = 0;
};
