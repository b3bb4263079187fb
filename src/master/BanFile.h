#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Addresses the master will not talk to, a line each: "203.0.113.7" or a
// network "198.51.100.0/24", then at most a "# comment". Blank lines and
// comments are skipped; anything else is told to skipped and left out.
class BanFile {
public:
    using Skipped = std::function<void(int line, const std::string& text)>;
    static constexpr std::size_t kLargestFile = 4 << 20;

    static BanFile Read(const std::string& text, const Skipped& skipped);
    bool Bans(std::uint32_t address) const;
    std::size_t Size() const { return networks.size(); }

private:
    struct Network {
        std::uint32_t base;
        std::uint32_t mask;
    };
    static bool ReadLine(const std::string& line, Network& network);

    std::vector<Network> networks;
};
