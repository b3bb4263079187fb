#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandInterpreter.h"
#include "base/Console.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "support/HostThread.h"
#include "support/Keys.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// Commands run against a client connected to a host over loopback, so that
// what they send can be seen arriving.
class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("QUILLROCK_LOOPBACK_ONLY", "1", 1);
        host = std::make_unique<HostThread>("Commands", 4, Port());
        world = std::make_unique<World>();
        local = world->AddShip(std::make_unique<Ship>());
        local->SetName("Before");
        client = NetClient::Instance();
        client->SetWorld(world.get());
        client->SetPort(Port());
        client->EnumHosts();
        client->SelectHost("Commands");
        ASSERT_TRUE(client->Connect());
        ASSERT_TRUE(host->WaitForReceived(1, 2000)); // the join
        Console::Instance()->Clear();
        Console::Instance()->SetLineLimit(50);
    }
    void TearDown() override
    {
        NetClient::Destroy();
        world.reset();
        host.reset();
        Console::Instance()->SetLineLimit(Console::kDefaultLimit);
    }

    // Kinds of what the host received after the join, once sends settle.
    std::vector<int> Sent(std::size_t expected)
    {
        host->WaitForReceived(1 + expected, expected ? 2000 : 200);
        std::vector<int> kinds;
        const auto received = host->Received();
        for (std::size_t i = 1; i < received.size(); ++i)
            kinds.push_back(received[i][0]);
        return kinds;
    }

    bool Run(const char* line) { return CommandInterpreter().Execute(line); }

    static std::uint16_t Port() { return TestPort(44000); }

    std::unique_ptr<HostThread> host;
    std::unique_ptr<World> world;
    Ship* local = nullptr;
    NetClient* client = nullptr;
};

TEST_F(Commands, ChatIsNotACommandAndASlashAloneDoesNothing)
{
    EXPECT_FALSE(Run("hello"));
    EXPECT_TRUE(Run("/"));
    EXPECT_TRUE(ConsoleLines().empty());
    EXPECT_TRUE(Sent(0).empty());
}

TEST_F(Commands, HelpInAnyCase)
{
    EXPECT_TRUE(Run("/HELP"));
    const std::vector<std::string> expected = {"Client Commands:", "   name <your name>", "   clear",
                                               "   find servers",  "   connect <server name>", "   disconnect",
                                               "   exit",          "   help", "", "Server Commands:",
                                               "   server halt",   ""};
    EXPECT_EQ(ConsoleLines(), expected);
}

TEST_F(Commands, NameTakesTheRestOfTheLine)
{
    EXPECT_TRUE(Run("/NAME=Bob"));
    EXPECT_STREQ(local->Name(), "Bob");
    EXPECT_EQ(ConsoleLines().front(), "Player name set to Bob, long live Bob!");
    EXPECT_EQ(ConsoleLines().size(), 4u);
    Run("/name  Two Words");
    EXPECT_STREQ(local->Name(), " Two Words") << "further spaces stay";
    Run("/name");
    EXPECT_STREQ(local->Name(), "");
}

TEST_F(Commands, ServerCommandsSendWhatTheySay)
{
    Run("/server map");
    EXPECT_TRUE(ConsoleLines().empty()) << "no map name: nothing printed";
    Run("/server halt");
    Run("/server map Warren");
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"Attempting to shutdown server...",
                                                  "Requesting server change to map \"Warren\""}));
    EXPECT_EQ(Sent(2), (std::vector<int>{kMsgHaltServer, kMsgMap}));
    Console::Instance()->Clear();
    Run("/server");
    Run("/server reboot");
    Run("/frobnicate");
    Run("/disconnect");
    Run("/exit");
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"Server must be followed by a sub-commmand.",
                                                  "Unrecognized server command.", "Unrecognized command",
                                                  "Not implemented yet, try again later.",
                                                  "Not implemented yet, try again later."}));
    EXPECT_EQ(Sent(2).size(), 2u) << "nothing more was sent";
}

TEST_F(Commands, ClearListAndFind)
{
    Console::Instance()->Print("old");
    Run("/clear");
    EXPECT_TRUE(ConsoleLines().empty());
    Run("/list");
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"Server: Commands"}));
    Console::Instance()->Clear();
    Run("/find servers");
    EXPECT_EQ(ConsoleLines().front(), "Searching the network for servers, please wait...");
    EXPECT_EQ(ConsoleLines().back(), "Server: Commands");
}

} // namespace
