#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/CommandInterpreter.h"
#include "app/Settings.h"
#include "base/Console.h"
#include "gfx/Glyphs.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "support/ClientWorld.h"
#include "support/HostThread.h"
#include "support/Keys.h"
#include "support/TempDir.h"
#include "world/Ship.h"

namespace {

// Commands run against a client connected to a host over loopback, so that
// what they send can be seen arriving.
class Commands : public ClientWorldTest {
protected:
    void SetUp() override
    {
        ClientWorldTest::SetUp();
        host = std::make_unique<HostThread>("Commands", 4, TestPort(44000));
        ASSERT_TRUE(JoinHost("Commands", TestPort(44000)));
        ASSERT_TRUE(host->WaitForReceived(1, 6000)); // the join
        Console::Instance()->Clear();
        Console::Instance()->SetLineLimit(50);
    }
    void TearDown() override
    {
        ClientWorldTest::TearDown();
        Console::Instance()->SetLineLimit(Console::kDefaultLimit);
    }

    // Kinds of what the host received after the join, once sends settle.
    std::vector<int> Sent(std::size_t expected)
    {
        host->WaitForReceived(1 + expected, expected ? 6000 : 200);
        std::vector<int> kinds;
        const auto received = host->Received();
        for (std::size_t i = 1; i < received.size(); ++i)
            kinds.push_back(received[i][0]);
        return kinds;
    }

    bool Run(const char* line) { return CommandInterpreter().Execute(line); }

    std::unique_ptr<HostThread> host;
};

// The help draws every character as itself: "<your name>", not "_your name_".
TEST_F(Commands, ChatIsNotACommandASlashAloneDoesNothingAndHelpIsInAnyCase)
{
    EXPECT_FALSE(Run("hello"));
    EXPECT_TRUE(Run("/"));
    EXPECT_EQ(std::tuple(ConsoleLines().size(), Sent(0).size()), std::tuple(0u, 0u)) << "nothing printed or sent";
    EXPECT_TRUE(Run("/HELP"));
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"Client Commands:", "   name <your name>", "   clear",
                                                        "   find servers", "   connect <server name>",
                                                        "   disconnect", "   exit", "   help", "",
                                                        "Server Commands:", "   server halt", ""}));
    for (const std::string& line : ConsoleLines()) {
        for (const char c : line) {
            const GlyphCell cell = GlyphOf(c);
            EXPECT_TRUE(c == '_' || cell.row != 0 || cell.column != 10) << c << " of " << line << " draws as '_'";
        }
    }
}

TEST_F(Commands, NameTakesTheRestOfTheLine)
{
    EXPECT_TRUE(Run("/NAME=Bob"));
    EXPECT_STREQ(local->Name(), "Bob");
    EXPECT_EQ(std::tuple(ConsoleLines().front(), ConsoleLines().size()),
              std::tuple("Player name set to Bob, long live Bob!", 4u));
    Run("/name  Two Words");
    EXPECT_STREQ(local->Name(), " Two Words") << "further spaces stay";
    Run("/name");
    EXPECT_STREQ(local->Name(), "");
}

TEST_F(Commands, ServerCommandsSendWhatTheySayOthersOnlyAnswerOrList)
{
    Run("/server map");
    EXPECT_TRUE(ConsoleLines().empty()) << "no map name: nothing printed";
    for (const char* line : {"/server halt", "/server map Warren", "/server", "/server reboot", "/frobnicate",
                             "/disconnect", "/exit", "/list", "/server bans"})
        Run(line);
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{
                                  "Attempting to shutdown server...", "Requesting server change to map \"Warren\"",
                                  "Server must be followed by a sub-commmand.", "Unrecognized server command.",
                                  "Unrecognized command", "Not implemented yet, try again later.",
                                  "Not implemented yet, try again later.", "Server: Commands"}));
    EXPECT_EQ(Sent(3), (std::vector<int>{kMsgHaltServer, kMsgMap, kMsgServerCommand})) << "the server lists its bans";

    Console::Instance()->Clear();
    Run("/find servers");
    EXPECT_EQ(ConsoleLines().front(), "Searching the network for servers, please wait...");
    EXPECT_EQ(ConsoleLines().back(), "Server: Commands");
}

TEST_F(Commands, PredictSwitchesThePredictionAndSaysWhichItIs)
{
    for (const char* line : {"/predict off", "/predict maybe", "/PREDICT On"})
        Run(line);
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"Prediction is off.", "Predict takes on or off.",
                                                        "Prediction is on."}));
    EXPECT_TRUE(g_predictOwnShip && client->Prediction().Enabled());
}

// The switch is kept at once, so the next run starts with the same screen.
TEST_F(Commands, HudSwitchesTheAddedLinesAndTheNextRunReadsIt)
{
    ScopedConfigHome home;
    const Settings before = g_settings;
    for (const char* line : {"/hud classic", "/hud sideways"})
        Run(line);
    Settings read;
    LoadSettings(read);
    EXPECT_EQ(std::tuple(g_settings.ClassicHud, read.ClassicHud), std::tuple(1, 1));
    for (const char* line : {"/HUD", "/hud classic", "/hud new"})
        Run(line);
    LoadSettings(read);
    EXPECT_EQ(std::tuple(g_settings.ClassicHud, read.ClassicHud), std::tuple(0, 0));
    const std::string classic = "Hud is classic: no death or clock lines.";
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{classic, "Hud takes classic or new.", classic, classic,
                                                        "Hud is new: death and clock lines shown."}))
        << "a bare /hud only tells";
    g_settings = before;
}

} // namespace
