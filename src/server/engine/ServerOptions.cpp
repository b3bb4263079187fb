#include "server/engine/ServerOptions.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "base/Trimmed.h"
#include "platform/Discovery.h"
#include "platform/HttpService.h"
#include "platform/WholeFile.h"
#include "platform/HttpUrl.h"
#include "server/game/GameMode.h"
#include "server/game/Player.h"

namespace {

// A config file is a page of text, not a dump.
constexpr std::size_t kLargestConfig = 1 << 20;
// Where the help of an option begins, as the usage shows it.
constexpr std::size_t kHelpColumn = 20;

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

bool ReadYesNo(const std::string& text, bool& out)
{
    if (text == "yes" || text == "on" || text == "true") {
        out = true;
        return true;
    }
    if (text == "no" || text == "off" || text == "false") {
        out = false;
        return true;
    }
    return false;
}

// Well-formed UTF-8 without control characters: what may go into the log
// and the LAN answers as it is.
bool IsReadable(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                 : lead >= 0xF0 && lead < 0xF5                 ? 4
                                                                               : 0;
        if (length == 0 || i + length > text.size() || (length == 1 && (lead < ' ' || lead == 127)))
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return false;
        i += length;
    }
    return true;
}

// A value that is no readable text is not shown back.
std::string Refusal(const std::string& name, const std::string& value, std::size_t shown = std::string::npos)
{
    if (!IsReadable(value))
        return name + ": the value is not UTF-8 text";
    return name + ": \"" + value.substr(0, shown) + "\" is not a valid value";
}

bool ReadText(const std::string& text, std::string& out)
{
    out = text;
    return !text.empty();
}

// "PORT" alone is on loopback: the figures are the operator's, not the
// players'.
bool ReadEndpoint(const std::string& text, std::string& out)
{
    const std::size_t colon = text.rfind(':');
    const std::string address = colon == std::string::npos ? "127.0.0.1" : text.substr(0, colon);
    const std::string port = colon == std::string::npos ? text : text.substr(colon + 1);
    int number = 0;
    platform::ListenAddress listen;
    std::string error;
    if (!ReadNumber(port, 1, 65535, number) || !platform::ParseListenAddress(address + ":" + port, listen, error))
        return false;
    out = address + ":" + port;
    return true;
}

using Reader = bool (*)(const std::string& value, ServerOptions& options);

struct Option {
    const char* name;
    const char* value; // as the usage shows it; empty for a switch
    const char* help;  // lines end with "\n"
    Reader read;
    bool repeats = false; // each time adds one more
    // Why a value was refused, where the help alone would not say.
    std::string (*explain)(const std::string& value) = nullptr;
};

std::string WhyNoUrl(const std::string& value)
{
    std::string why;
    platform::HttpUrl::Parse(value, why);
    return why;
}

const Option kOptions[] = {
    {"port", "N", "UDP port to host on (default 3001)\n",
     [](const std::string& v, ServerOptions& o) {
         int number = 0;
         const bool good = ReadNumber(v, 1, 65535, number);
         o.port = static_cast<std::uint16_t>(number);
         return good;
     }},
    {"name", "TEXT",
     "session name shown in the players' server lists, 63 bytes at most\n(default \"Quillrock Server\")\n",
     [](const std::string& v, ServerOptions& o) {
         return IsReadable(v) && ReadText(v, o.name) && v.size() <= platform::discovery::kMaxName;
     }},
    {"max-players", "N", "players at most, 1 to 64 (default 16)\n",
     [](const std::string& v, ServerOptions& o) { return ReadNumber(v, 1, Player::kMaxSlots, o.maxPlayers); }},
    {"spectator-slots", "N",
     "people who may watch without a ship besides the players, 0 to\n63, as far as the 64 slots reach; a full "
     "game still takes\nwatchers (default 8). People come to watch with F6 in the\nplayer's list of games, "
     "or with /spectate in a game\n",
     [](const std::string& v, ServerOptions& o) { return ReadNumber(v, 0, Player::kMaxSlots - 1, o.spectatorSlots); }},
    {"maps", "A,B,...", "the maps to play in turn, by file name without .smp\n(default every map in Maps/)\n",
     [](const std::string& v, ServerOptions& o) { return ReadMaps(v, o.maps); }},
    {"score-limit", "N",
     "a round ends when a player, or in tdm and ctf a side, reaches N,\n1 to 126 (default 10; 50 in tdm; in ctf 10 to "
     "30 captures,\nmore the shorter the flight between the bases; 50 on a map\nwithout room for flags)\n",
     [](const std::string& v, ServerOptions& o) { return ReadNumber(v, 1, 126, o.scoreLimit); }},
    {"round-minutes", "N", "a round ends after N minutes (0.5 is half a minute),\n0 for never (default 10)\n",
     [](const std::string& v, ServerOptions& o) { return ReadDecimal(v, 0.0, 24.0 * 60.0, o.roundMinutes); }},
    {"mode", "NAME",
     "the kind of game: dm, everyone against everyone; tdm, Red\nagainst Blue; ctf, capture the flag (default dm)\n",
     [](const std::string& v, ServerOptions& o) { return GameMode::Make(v) && ReadText(v, o.mode); }},
    {"friendly-fire", "yes|no", "in a team game, whether teammates' shots hurt (default no)\n",
     [](const std::string& v, ServerOptions& o) { return ReadYesNo(v, o.friendlyFire); }},
    {"tick", "N", "simulation steps a second, 10 to 240 (default 60)\n",
     [](const std::string& v, ServerOptions& o) { return ReadNumber(v, 10, 240, o.tickRate); }},
    {"data", "DIR", "the folder that holds Maps/ (default: as the game finds it)\n",
     [](const std::string& v, ServerOptions& o) { return ReadText(v, o.dataDir); }},
    {"bots", "N", "robot players in the seats people leave free (default 0)\n",
     [](const std::string& v, ServerOptions& o) { return ReadNumber(v, 0, Player::kMaxSlots, o.bots); }},
    {"bot-skill", "N", "how well robots fly, 1 to 3 (default: each robot matches\nthe person it fights)\n",
     [](const std::string& v, ServerOptions& o) { return ReadNumber(v, 1, 3, o.botSkill); }},
    {"simulate", "N",
     "no network: robots alone play N minutes on each map as\nfast as the machine goes, then their figures are "
     "printed\n",
     [](const std::string& v, ServerOptions& o) { return ReadDecimal(v, 0.01, 24.0 * 60.0, o.simulateMinutes); }},
    {"seed", "N",
     "the same N, with the same players doing the same, plays the\nsame game; 0 for a different game each time "
     "(default 0)\n",
     [](const std::string& v, ServerOptions& o) { return ReadSeed(v, o.seed); }},
    {"record", "DIR",
     "records every round a person plays in into a demo file of\nits own in DIR, made when missing; quillrock "
     "--demo FILE\nplays one back\n",
     [](const std::string& v, ServerOptions& o) { return ReadText(v, o.recordDir); }},
    {"admin-password-file", "FILE",
     "players who type /server login and the password on the file's\nfirst line run the server's commands from "
     "their console;\nthe password travels unencrypted (default: no logins)\n",
     [](const std::string& v, ServerOptions& o) { return ReadText(v, o.adminPasswordFile); }},
    {"trust-local", "yes|no",
     "players on the server's own machine (127.0.0.0/8) may run its\ncommands without a login; say no behind a "
     "relay, proxy or\ncontainer network (default yes)\n",
     [](const std::string& v, ServerOptions& o) { return ReadYesNo(v, o.trustLocal); }},
    {"ban-file", "FILE",
     "keeps the bans in FILE, read at the start and by /reload-bans\n(default: bans end when the server stops)\n",
     [](const std::string& v, ServerOptions& o) { return ReadText(v, o.banFile); }},
    {"metrics", "ADDRESS:PORT",
     "serves Prometheus figures at http://ADDRESS:PORT/metrics;\na PORT alone is on 127.0.0.1 (default: none)\n",
     [](const std::string& v, ServerOptions& o) { return ReadEndpoint(v, o.metrics); }},
    {"agones", "",
     "tells the Agones SDK sidecar on AGONES_SDK_HTTP_PORT (default\n9358) when the game is ready, its health, "
     "its players and\nits end\n",
     [](const std::string& v, ServerOptions& o) { return ReadYesNo(v, o.agones); }},
    {"master", "URL",
     "registers with the internet list's master at URL\n(http://HOST[:PORT][/PATH]); repeat it for each master, "
     "whose\nchallenge comes to the UDP port (default: none)\n",
     [](const std::string& v, ServerOptions& o) {
         std::string why;
         if (!platform::HttpUrl::Parse(v, why))
             return false;
         o.masters.push_back(v);
         return true;
     },
     true, &WhyNoUrl},
    {"one-match", "", "stops the server when the round that began with its first\nperson ends\n",
     [](const std::string& v, ServerOptions& o) { return ReadYesNo(v, o.oneMatch); }},
    {"config", "FILE",
     "reads options from FILE first, one \"name = value\" a line with\nthe names above, \"#\" for comments; "
     "switches take yes or no;\noptions on the command line win\n",
     nullptr},
};

const Option* Find(const std::string& name)
{
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const Option& option) { return name == option.name; });
    return found == std::end(kOptions) ? nullptr : found;
}

std::string Lead(const Option& option)
{
    return std::string("  --") + option.name + (*option.value ? std::string(" ") + option.value : "");
}

// A value without its comment, and without the quotes that may keep a "#"
// or spaces at either end in it; false for quotes that do not close, or
// with more after them.
bool ConfigValue(const std::string& text, std::string& value)
{
    value = Trimmed(text);
    if (!value.empty() && value.front() == '"') {
        const std::size_t close = value.find('"', 1);
        const std::string rest = close == std::string::npos ? "" : Trimmed(value.substr(close + 1));
        if (close == std::string::npos || !(rest.empty() || rest.front() == '#'))
            return false;
        value = value.substr(1, close - 1);
        return true;
    }
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] == '#' && IsAsciiSpace(value[i - 1])) {
            value = Trimmed(value.substr(0, i));
            break;
        }
    }
    return true;
}

bool IsText(const std::string& line)
{
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < ' ' && c != '\t') || byte == 127;
    });
}

// One line of a config file; an empty message when it is right.
std::string ConfigLine(const std::string& raw, ServerOptions& options, std::map<std::string, int>& seen, int number)
{
    std::string line = raw;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (!IsText(line))
        return "this line is not text";
    const std::string trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() == '#')
        return "";
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos)
        return "expected \"name = value\"";
    const std::string key = Trimmed(trimmed.substr(0, equals));
    const Option* option = Find(key);
    if (!option || !option->read)
        return "\"" + key.substr(0, 64) + "\" is " + (option ? "not read from a config file" : "no option's name");
    if (const auto [at, fresh] = seen.emplace(key, number); !fresh && !option->repeats)
        return key + " is set already, on line " + std::to_string(at->second);
    std::string value;
    if (!ConfigValue(trimmed.substr(equals + 1), value))
        return key + ": a value in quotes ends with its closing quote, or a comment after it";
    if (!option->read(value, options))
        return option->explain && IsReadable(value) ? key + ": \"" + value.substr(0, 256) + "\" " + option->explain(value)
                                                    : Refusal(key, value, 256);
    return "";
}

bool ReadConfigFile(const std::string& path, ServerOptions& options, std::string& message)
{
    std::string why;
    const auto bytes = platform::ReadWholeFile(path, kLargestConfig, why);
    if (!bytes) {
        message = platform::FileExists(path) ? why : path + ": no such file";
        return false;
    }
    // An editor's byte-order mark is no part of the first name.
    const std::string bom = "\xEF\xBB\xBF";
    std::string text(bytes->begin(), bytes->end());
    if (text.rfind(bom, 0) == 0)
        text.erase(0, bom.size());
    return ReadConfigText(text, path, options, message);
}

// The value of --config, read before everything else.
std::string ConfigPath(int argc, const char* const* argv)
{
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("--config=", 0) == 0)
            path = option.substr(9);
        else if (option == "--config" && i + 1 < argc)
            path = argv[++i];
    }
    return path;
}

bool Consistent(const ServerOptions& options, std::string& message)
{
    if (!options.recordDir.empty() && options.maxPlayers >= Player::kMaxSlots) {
        message = "--record: the recording watches from a seat of its own, so --max-players is at most " +
                  std::to_string(Player::kMaxSlots - 1);
        return false;
    }
    if (!options.recordDir.empty() && options.simulateMinutes > 0.0) {
        message = "--record: --simulate hosts no rounds to record";
        return false;
    }
    return true;
}

} // namespace

namespace {

// An option's help on one line, to say what it takes.
std::string OneLine(std::string help)
{
    std::replace(help.begin(), help.end(), '\n', ' ');
    return help.substr(0, help.find_last_not_of(' ') + 1);
}

} // namespace

std::string ServerUsage()
{
    std::string text = "usage: quillrock-server [options]\n"
                       "Hosts a game of Quillrock on the local network.\n"
                       "\n";
    const std::string indent(kHelpColumn, ' ');
    for (const Option& option : kOptions) {
        std::string lead = Lead(option);
        lead = lead.size() < kHelpColumn ? lead + std::string(kHelpColumn - lead.size(), ' ') : lead + "\n" + indent;
        std::string help = option.help;
        for (std::size_t at = help.find('\n'); at + 1 < help.size(); at = help.find('\n', at + 1))
            help.insert(at + 1, indent);
        text += lead + help;
    }
    return text + "  --help            this text\n"
                  "\n"
                  "Commands typed on a terminal or piped into the standard input while it runs\n"
                  "(answered on standard output, like the log):\n";
}

bool ReadConfigText(const std::string& text, const std::string& fileName, ServerOptions& options,
                    std::string& message)
{
    std::map<std::string, int> seen;
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string wrong = ConfigLine(text.substr(start, end - start), options, seen, number);
        if (!wrong.empty()) {
            message = fileName + ":" + std::to_string(number) + ": " + wrong;
            return false;
        }
        start = end + 1;
    }
    return true;
}

ParsedOptions ParseServerOptions(int argc, const char* const* argv, ServerOptions& options, std::string& message)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h")
            return ParsedOptions::Help;
    }
    const std::string config = ConfigPath(argc, argv);
    if (!config.empty() && !ReadConfigFile(config, options, message))
        return ParsedOptions::BadConfig;
    // Masters on the command line win over the file's, as a whole.
    if (std::any_of(argv + 1, argv + argc, [](const char* arg) { return std::string(arg).rfind("--master", 0) == 0; }))
        options.masters.clear();
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        const std::size_t equals = name.find('=');
        const bool joined = name.rfind("--", 0) == 0 && equals != std::string::npos;
        const Option* option = name.rfind("--", 0) == 0 ? Find(name.substr(2, joined ? equals - 2 : name.npos)) : nullptr;
        if (!option) {
            message = (joined ? name.substr(0, equals) : name) + ": unknown option";
            return ParsedOptions::Error;
        }
        std::string value;
        if (joined) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (!*option->value) {
            value = "yes";
        } else if (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0) {
            value = argv[++i];
        } else {
            message = name + ": its value is missing";
            return ParsedOptions::Error;
        }
        if (option->read && !option->read(value, options)) {
            message = option->explain && IsReadable(value) ? name + ": \"" + value + "\" " + option->explain(value)
                                                           : Refusal(name, value) + ": " + OneLine(option->help);
            return ParsedOptions::Error;
        }
        if (!option->read && value.empty()) {
            message = name + ": \"\" is not a valid value";
            return ParsedOptions::Error;
        }
    }
    return Consistent(options, message) ? ParsedOptions::Run : ParsedOptions::Error;
}
