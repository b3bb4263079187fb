#include "master/BanFile.h"

#include <arpa/inet.h>

#include <sstream>

BanFile BanFile::Read(const std::string& text, const Skipped& skipped)
{
    BanFile file;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string word, extra;
        if (!(words >> word))
            continue;
        Network network {};
        if (!(words >> extra) && ReadLine(word, network))
            file.networks.push_back(network);
        else
            skipped(number, line);
    }
    return file;
}

bool BanFile::ReadLine(const std::string& word, Network& network)
{
    const auto slash = word.find('/');
    int bits = 32;
    if (slash != std::string::npos) {
        const std::string width = word.substr(slash + 1);
        if (width.empty() || width.size() > 2 || width.find_first_not_of("0123456789") != std::string::npos)
            return false;
        bits = std::stoi(width);
        if (bits > 32)
            return false;
    }
    in_addr parsed {};
    if (inet_pton(AF_INET, word.substr(0, slash).c_str(), &parsed) != 1)
        return false;
    network.mask = bits == 0 ? 0 : ~std::uint32_t(0) << (32 - bits);
    network.base = ntohl(parsed.s_addr) & network.mask;
    return true;
}

bool BanFile::Bans(std::uint32_t address) const
{
    for (const Network& network : networks)
        if ((address & network.mask) == network.base)
            return true;
    return false;
}
