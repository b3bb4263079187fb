#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/DataDirectory.h"
#include "server/MapRotation.h"
#include "server/ServerOptions.h"
#include "server/ServerMaps.h"
#include "support/TempDir.h"

namespace {

ParsedOptions Parse(std::vector<const char*> args, ServerOptions& options, std::string& message)
{
    args.insert(args.begin(), "quillrock-server");
    return ParseServerOptions(static_cast<int>(args.size()), args.data(), options, message);
}

TEST(ServerOptions, EveryOptionInEitherForm)
{
    ServerOptions options;
    std::string message;
    ASSERT_EQ(Parse({"--port", "4000", "--name", "Den", "--max-players=32", "--maps", "Arena,Warren",
                     "--score-limit", "5", "--round-minutes", "0.5", "--tick", "120", "--data", "/srv/q",
                     "--bots", "6", "--bot-skill=3", "--simulate", "2.5", "--seed=4294967295"},
                    options, message),
              ParsedOptions::Run)
        << message;
    EXPECT_EQ(std::tuple(options.port, options.name, options.maxPlayers, options.maps, options.scoreLimit,
                         options.roundMinutes, options.tickRate, options.dataDir, options.bots, options.botSkill,
                         options.simulateMinutes, options.seed),
              std::tuple(std::uint16_t {4000}, std::string("Den"), 32, std::vector<std::string> {"Arena", "Warren"},
                         5, 0.5, 120, std::string("/srv/q"), 6, 3, 2.5, 4294967295u));
    EXPECT_EQ(Parse({"--port", "1", "--help"}, options, message), ParsedOptions::Help);
    ServerOptions recording;
    ASSERT_EQ(Parse({"--record", "/srv/rounds", "--max-players", "63"}, recording, message), ParsedOptions::Run)
        << message;
    EXPECT_EQ(recording.recordDir, "/srv/rounds");
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
        {"--record", "/r", "--simulate", "1"},
    };
    for (const auto& args : bad) {
        ServerOptions options;
        std::string message;
        EXPECT_EQ(Parse(args, options, message), ParsedOptions::Error) << args[0];
        EXPECT_NE(message.find(args[0]), std::string::npos) << message;
    }
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
