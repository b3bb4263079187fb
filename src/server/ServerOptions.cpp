#include "server/ServerOptions.h"

#include <charconv>

#include "platform/Discovery.h"
#include "server/Player.h"

namespace {

bool ReadNumber(const std::string& text, int low, int high, int& out)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool ReadSeed(const std::string& text, unsigned& out)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    out = value;
    return true;
}

bool ReadDecimal(const std::string& text, double low, double high, double& out)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value >= low && value <= high))
        return false;
    out = value;
    return true;
}

bool ReadMaps(const std::string& text, std::vector<std::string>& maps)
{
    maps.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        if (comma == start)
            return false;
        maps.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return !maps.empty();
}

} // namespace

std::string ServerUsage()
{
    return "usage: quillrock-server [options]\n"
           "Hosts a game of Quillrock on the local network.\n"
           "\n"
           "  --port N          UDP port to host on (default 3001)\n"
           "  --name TEXT       session name shown in the players' server lists, 63 bytes at most\n"
           "                    (default \"Quillrock Server\")\n"
           "  --max-players N   players at most, 1 to 64 (default 16)\n"
           "  --maps A,B,...    the maps to play in turn, by file name without .smp\n"
           "                    (default every map in Maps/)\n"
           "  --score-limit N   a round ends when a player reaches N, 1 to 126 (default 10)\n"
           "  --round-minutes N a round ends after N minutes (0.5 is half a minute),\n"
           "                    0 for never (default 10)\n"
           "  --tick N          simulation steps a second, 10 to 240 (default 60)\n"
           "  --data DIR        the folder that holds Maps/ (default: as the game finds it)\n"
           "  --bots N          robot players in the seats people leave free (default 0)\n"
           "  --bot-skill N     how well robots fly, 1 to 3 (default 2)\n"
           "  --simulate N      no network: robots alone play N minutes on each map as\n"
           "                    fast as the machine goes, then their figures are printed\n"
           "  --seed N          the same N, with the same players doing the same, plays the\n"
           "                    same game; 0 for a different game each time (default 0)\n"
           "  --record DIR      records every round a person plays in into a demo file of\n"
           "                    its own in DIR, made when missing; quillrock --demo FILE\n"
           "                    plays one back\n"
           "  --help            this text\n"
           "\n"
           "Commands typed on a terminal or piped into the standard input while it runs\n"
           "(answered on standard output, like the log):\n";
}

ParsedOptions ParseServerOptions(int argc, const char* const* argv, ServerOptions& options, std::string& message)
{
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h")
            return ParsedOptions::Help;
        std::string value;
        const std::size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        } else if (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0) {
            value = argv[++i];
        } else {
            message = option + ": unknown option, or its value is missing";
            return ParsedOptions::Error;
        }

        int number = 0;
        bool good = true;
        if (option == "--port") {
            good = ReadNumber(value, 1, 65535, number);
            options.port = static_cast<std::uint16_t>(number);
        } else if (option == "--name") {
            good = !value.empty() && value.size() <= platform::discovery::kMaxName;
            options.name = value;
        } else if (option == "--max-players") {
            good = ReadNumber(value, 1, Player::kMaxSlots, options.maxPlayers);
        } else if (option == "--maps") {
            good = ReadMaps(value, options.maps);
        } else if (option == "--score-limit") {
            good = ReadNumber(value, 1, 126, options.scoreLimit);
        } else if (option == "--round-minutes") {
            good = ReadDecimal(value, 0.0, 24.0 * 60.0, options.roundMinutes);
        } else if (option == "--tick") {
            good = ReadNumber(value, 10, 240, options.tickRate);
        } else if (option == "--data") {
            good = !value.empty();
            options.dataDir = value;
        } else if (option == "--bots") {
            good = ReadNumber(value, 0, Player::kMaxSlots, options.bots);
        } else if (option == "--bot-skill") {
            good = ReadNumber(value, 1, 3, options.botSkill);
        } else if (option == "--simulate") {
            good = ReadDecimal(value, 0.01, 24.0 * 60.0, options.simulateMinutes);
        } else if (option == "--seed") {
            good = ReadSeed(value, options.seed);
        } else if (option == "--record") {
            good = !value.empty();
            options.recordDir = value;
        } else {
            message = option + ": unknown option";
            return ParsedOptions::Error;
        }
        if (!good) {
            message = option + ": \"" + value + "\" is not a valid value";
            return ParsedOptions::Error;
        }
    }
    if (!options.recordDir.empty() && options.maxPlayers >= Player::kMaxSlots) {
        message = "--record: the recording watches from a seat of its own, so --max-players is at most " +
                  std::to_string(Player::kMaxSlots - 1);
        return ParsedOptions::Error;
    }
    if (!options.recordDir.empty() && options.simulateMinutes > 0.0) {
        message = "--record: --simulate hosts no rounds to record";
        return ParsedOptions::Error;
    }
    return ParsedOptions::Run;
}
