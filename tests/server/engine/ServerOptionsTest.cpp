#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/DataDirectory.h"
#include "server/game/ServerMaps.h"
#include "server/engine/ServerOptions.h"
#include "server/game/MapRotation.h"
#include "support/TempDir.h"

namespace {

struct Parsed {
    ParsedOptions result;
    ServerOptions options;
    std::string message;
};

Parsed Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "quillrock-server");
    Parsed parsed;
    parsed.result = ParseServerOptions(static_cast<int>(args.size()), args.data(), parsed.options, parsed.message);
    return parsed;
}

// A config file of the text named after the arguments given.
Parsed ParseConfig(const std::string& text, std::vector<const char*> args = {})
{
    TempDir dir;
    dir.WriteFile("server.conf", text);
    const std::string config = dir.Path() + "/server.conf";
    args.insert(args.end(), {"--config", config.c_str()});
    return Parse(args);
}

// An option and its value either as two words or joined by '='; lists,
// the largest seed, flags with a value or none, and a metrics port alone
// served on loopback.
TEST(ServerOptions, EitherFormAndTheValuesWithARuleOfTheirOwn)
{
    const auto [result, options, message] =
        Parse({"--port", "4000", "--max-players=32", "--maps", "Arena,Warren", "--round-minutes", "0.5",
               "--seed=4294967295", "--agones", "--trust-local", "no", "--metrics", "9100", "--spectator-slots=0"});
    ASSERT_EQ(result, ParsedOptions::Run) << message;
    EXPECT_EQ(std::tuple(options.port, options.maxPlayers, options.maps, options.roundMinutes, options.seed,
                         options.agones, options.trustLocal, options.metrics, options.spectatorSlots),
              std::tuple(std::uint16_t {4000}, 32, std::vector<std::string> {"Arena", "Warren"}, 0.5, 4294967295u,
                         true, false, std::string("127.0.0.1:9100"), 0));
    EXPECT_EQ(Parse({"--port", "1", "--help"}).result, ParsedOptions::Help);
    // A recording's watcher takes a seat of its own: 63 players at most.
    const Parsed other = Parse({"--record", "/r", "--max-players", "63", "--metrics=0.0.0.0:9100", "--agones=no"});
    ASSERT_EQ(other.result, ParsedOptions::Run) << other.message;
    EXPECT_EQ(std::tuple(other.options.metrics, other.options.agones), std::tuple(std::string("0.0.0.0:9100"), false));
}

TEST(ServerOptions, BadValuesAreNamedAndRefused)
{
    const std::string longName(64, 'n');
    const std::vector<std::vector<const char*>> bad = {
        {"--port", "0"},          {"--port", "65536"},         {"--port", "30x"},
        {"--max-players", "65"},  {"--max-players", "0"},      {"--score-limit", "127"},
        {"--tick", "5"},          {"--maps", "Arena,,Warren"}, {"--maps", ""},
        {"--name", ""},           {"--round-minutes", "-1"},   {"--round-minutes", "nan"},
        {"--port"},               {"--colour", "red"},         {"stray"},
        {"--bots", "-1"},         {"--bot-skill", "0"},        {"--bot-skill", "4"},
        {"--simulate", "0"},      {"--name", longName.c_str()}, {"--seed", "-1"},
        {"--seed", "4294967296"}, {"--seed", "7x"},          {"--name", "--port", "3999"},
        {"--record", ""},         {"--record", "/r", "--max-players", "64"},
        {"--record", "/r", "--simulate", "1"}, {"--trust-local", "maybe"},      {"--metrics", "host:"},      {"--metrics", "nonsense:9100"},
        {"--metrics", "70000"},   {"--agones=perhaps"},        {"--config"},
        {"--mode", "koth"},       {"--spectator-slots", "64"}, {"--spectator-slots", "-1"},
    };
    for (const auto& args : bad) {
        const Parsed parsed = Parse(args);
        EXPECT_EQ(parsed.result, ParsedOptions::Error) << args[0];
        const std::string named(args[0]);
        EXPECT_NE(parsed.message.find(named.substr(0, named.find('='))), std::string::npos) << parsed.message;
    }
}

// A name goes into the log and the LAN answers as it is: broken UTF-8 or
// a control character is refused, and never shown back.
TEST(ServerOptions, ANameMustBeUtf8Text)
{
    for (const char* name : {"Caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xE2\x82", "a\x1b[2Jb",
                             "tab\there"}) {
        const Parsed given = Parse({"--name", name});
        EXPECT_EQ(given.result, ParsedOptions::Error) << name;
        EXPECT_EQ(given.message.rfind("--name: the value is not UTF-8 text: ", 0), 0u) << given.message;
        const Parsed configured = ParseConfig(std::string("name = ") + name + "\n");
        EXPECT_NE(configured.result, ParsedOptions::Run) << name;
        EXPECT_EQ(configured.message.find(name), std::string::npos) << configured.message;
    }
    const Parsed good = Parse({"--name", "Caf\xC3\xA9 \xF0\x9F\x9A\x80"});
    ASSERT_EQ(good.result, ParsedOptions::Run) << good.message;
    EXPECT_EQ(good.options.name, "Caf\xC3\xA9 \xF0\x9F\x9A\x80");
}

TEST(ServerOptions, AConfigFileSetsEveryOptionAndTheCommandLineWins)
{
    const auto [result, options, message] = ParseConfig(
        "\xEF\xBB\xBF# a club's server, as an editor saves it\r\n"
        "\n"
        "  port = 4000   # not the usual\n"
        "name = \"Club #1 \"\n"
        "maps=Arena,Warren\n"
        "bots = 4\n"
        "trust-local = no\n"
        "agones = yes\n"
        "\tround-minutes\t=\t0.5",
        {"--bots", "2"});
    ASSERT_EQ(result, ParsedOptions::Run) << message;
    EXPECT_EQ(std::tuple(options.port, options.name, options.maps, options.bots, options.trustLocal, options.agones,
                         options.roundMinutes),
              std::tuple(std::uint16_t {4000}, std::string("Club #1 "), std::vector<std::string> {"Arena", "Warren"},
                         2, false, true, 0.5));
}

TEST(ServerOptions, AWrongConfigLineIsNamedByItsNumber)
{
    const std::vector<std::pair<std::string, std::string>> wrong = {
        {"port = 3001\ncolour = red\n", ":2: \"colour\" is no option's name"},
        {"\n\nport = 0\n", ":3: port: \"0\" is not a valid value"},
        {"bots = 1\nbots = 2\n", ":2: bots is set already, on line 1"},
        {"port 3001\n", ":1: expected \"name = value\""},
        {std::string("port = 30\0" "01\n", 13), ":1: this line is not text"},
        {"\x7f" "ELF\x02\x01\x01\n", ":1: this line is not text"},
        {"config = other.conf\n", ":1: \"config\" is not read from a config file"},
        {"help = yes\n", ":1: \"help\" is no option's name"},
        {"name = \"open\n", ":1: name: a value in quotes ends with its closing quote"},
        {"name = \"Den\" more\n", ":1: name: a value in quotes ends"},
        {"record = /r\nmax-players = 64\n", "--record: "},
    };
    for (const auto& [text, expected] : wrong) {
        const Parsed parsed = ParseConfig(text);
        EXPECT_NE(parsed.result, ParsedOptions::Run) << text;
        EXPECT_NE(parsed.message.find(expected), std::string::npos) << parsed.message;
    }
    const Parsed missing = Parse({"--config=/nonexistent/quillrock.conf"});
    EXPECT_EQ(missing.result, ParsedOptions::BadConfig);
    EXPECT_NE(missing.message.find("/nonexistent/quillrock.conf: no such file"), std::string::npos) << missing.message;
}

TEST(ServerOptions, TheExampleConfigReadsWithEveryOptionInIt)
{
    std::ifstream file(QR_DATA_DIR "/../contrib/quillrock-server.conf");
    std::string text, line;
    std::set<std::string> named;
    while (std::getline(file, line)) {
        // "#port = 3001" is an option at its default; "# Players..." is prose.
        if (line.size() > 1 && line[0] == '#' && line[1] != ' ') {
            line.erase(0, 1);
            named.insert(line.substr(0, line.find(' ')));
        }
        text += line + "\n";
    }
    ServerOptions options;
    std::string message;
    ASSERT_TRUE(ReadConfigText(text, "example", options, message)) << message;
    EXPECT_EQ(named.size(), 22u) << "every option but --config, --simulate and --help";
}

TEST(ServerOptions, TheDataFolderIsTheOneNamedAndItsMapsAreTheRotation)
{
    TempDir data;
    WriteMap(data, "Zed", OpenMap(4));
    WriteMap(data, "Alpha", OpenMap(4));
    data.WriteFile("Maps/readme.txt", "not a map");
    EXPECT_EQ(platform::FindDataDirectory(data.Path()), data.Path());
    EXPECT_EQ(platform::FindDataDirectory(data.Path() + "/Maps"), "") << "no Maps inside";
    EXPECT_EQ(platform::FindDataDirectory(""), QR_DATA_DIR) << "a build folder finds the source tree's data";
    EXPECT_EQ(MapRotation::AllMaps(data.Path()), (std::vector<std::string>{"Alpha", "Zed"}));
}

} // namespace

// Masters add up, in the file and on the command line; the command line's
// replace the file's; a URL the reader refuses is refused by name.
TEST(ServerOptions, MastersRepeatAndTheCommandLineReplacesTheFiles)
{
    const Parsed twice = Parse({"--master", "http://a.example:8300", "--master=http://10.0.0.2/list/"});
    ASSERT_EQ(twice.result, ParsedOptions::Run) << twice.message;
    EXPECT_EQ(twice.options.masters,
              (std::vector<std::string>{"http://a.example:8300", "http://10.0.0.2/list/"}));
    EXPECT_TRUE(Parse({}).options.masters.empty());

    const std::string file = "master = http://one.example\nmaster = http://two.example:81\n";
    const Parsed fromFile = ParseConfig(file);
    ASSERT_EQ(fromFile.result, ParsedOptions::Run) << fromFile.message;
    EXPECT_EQ(fromFile.options.masters.size(), 2u);
    const Parsed replaced = ParseConfig(file, {"--master", "http://three.example"});
    EXPECT_EQ(replaced.options.masters, std::vector<std::string>{"http://three.example"});

    // Which addresses are refused, and why, is the URL reader's.
    const Parsed refused = Parse({"--master", "https://a.example"});
    EXPECT_EQ(std::tuple(refused.result, refused.message),
              std::tuple(ParsedOptions::Error, std::string("--master: \"https://a.example\" is not an http:// address")));
    const Parsed badFile = ParseConfig("port = 3001\nmaster = http://a.example:99999\n");
    EXPECT_EQ(badFile.result, ParsedOptions::BadConfig);
    EXPECT_NE(badFile.message.find(":2: master: \"http://a.example:99999\" names no port from 1 to 65535"),
              std::string::npos)
        << badFile.message;
}
