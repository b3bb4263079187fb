#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/Console.h"
#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "support/ClientWorld.h"
#include "support/HostThread.h"
#include "support/Keys.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// The player's network client against a real host over loopback. Each
// test has a port of its own, so tests may run side by side.
class NetClientSession : public ClientWorldTest {
protected:
    std::uint16_t Port() const { return TestPort(41000); }

    // Lets the client work until the condition holds or a second passes.
    template <typename Condition>
    bool WorkUntil(Condition condition)
    {
        const std::uint32_t start = platform::TickCount();
        while (!condition() && platform::TickCount() - start < 2000) {
            client->DoWork(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return condition();
    }

};

TEST_F(NetClientSession, LanSearchFindsTheHostOnceWithItsCounts)
{
    HostThread host("Loopback Arena", 7, Port());
    ASSERT_TRUE(host.Hosting());
    client->SetPort(Port());
    ASSERT_TRUE(client->EnumHosts());
    ASSERT_TRUE(client->EnumHosts());
    ASSERT_EQ(client->HostCount(), 1u) << "two answers from one host, one entry";
    client->HostsBegin();
    char name[64];
    int maxPlayers = -1, currentPlayers = -1;
    ASSERT_TRUE(client->HostsNext(name, sizeof name, maxPlayers, currentPlayers));
    EXPECT_STREQ(name, "Loopback Arena");
    EXPECT_EQ(maxPlayers, 7) << "8 announced, the host counted itself";
    EXPECT_EQ(currentPlayers, 0);
    EXPECT_FALSE(client->HostsNext(name, sizeof name, maxPlayers, currentPlayers));
    client->ListHosts();
    EXPECT_EQ(ConsoleLines().back(), "Server: Loopback Arena");
}

TEST_F(NetClientSession, TypedAddressFindsTheHostAndAnnouncedCountsShowOneFewer)
{
    HostThread host("Typed", 7, Port());
    host.Run([](platform::SessionServer& s) { s.SetAnnouncedCounts(3, 8); });
    client->SetPort(Port());
    ASSERT_TRUE(client->EnumHostsAt("127.0.0.1"));
    client->HostsBegin();
    char name[64];
    int maxPlayers = 0, currentPlayers = 0;
    ASSERT_TRUE(client->HostsNext(name, sizeof name, maxPlayers, currentPlayers));
    EXPECT_EQ(maxPlayers, 7);
    EXPECT_EQ(currentPlayers, 2);
}

TEST_F(NetClientSession, NobodyAnsweringEndsInTimeWithTheLine)
{
    client->SetPort(Port());
    const std::uint32_t start = platform::TickCount();
    client->EnumHosts();
    EXPECT_LT(platform::TickCount() - start, 1500u);
    client->ListHosts();
    EXPECT_EQ(ConsoleLines().back(), "No servers found...");
    client->SelectHost("Anything");
    EXPECT_EQ(ConsoleLines().back(), "No servers to select from.");
    EXPECT_FALSE(client->Connect());

    EXPECT_FALSE(client->EnumHostsAt("no-such-host.invalid"));
    EXPECT_NE(ConsoleLines().back().find("no-such-host.invalid"), std::string::npos);
}

TEST_F(NetClientSession, ConnectSendsTheJoinWithNameAndShip)
{
    HostThread host("Joinable", 4, Port());
    client->SetPort(Port());
    client->EnumHosts();
    client->SelectHost("Joinable and more");
    ASSERT_TRUE(client->Connect());
    EXPECT_TRUE(client->IsConnected());
    EXPECT_EQ(ConsoleLines().back(), "Registering with server...");
    ASSERT_TRUE(host.WaitForReceived(1, 2000));
    NetMessage join;
    const auto bytes = host.Received()[0];
    ASSERT_TRUE(join.Parse(bytes.data(), bytes.size()));
    int id = -1, type = -1;
    char name[128] = {};
    join.GetJoin(id, type, name, sizeof name);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(type, 3);
    EXPECT_STREQ(name, "Pilot");

    NetMessage nothing;
    client->Send(nothing);
    NetMessage text;
    text.SetText("after nothing");
    client->Send(text);
    ASSERT_TRUE(host.WaitForReceived(2, 2000));
    EXPECT_EQ(host.Received()[1][0], kMsgText) << "a message of kind 0 sent nothing";
}

TEST_F(NetClientSession, FullHostTurnsThePlayerAway)
{
    HostThread host("Full", 0, Port());
    client->SetPort(Port());
    client->EnumHosts();
    client->SelectHost("Full");
    EXPECT_FALSE(client->Connect());
    const auto lines = ConsoleLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "The server was full and rejected your request to join.");
    EXPECT_EQ(lines.back(), "Press escape to return to the main menu.");
}

TEST_F(NetClientSession, EndingTheSessionTerminatesThePlayer)
{
    auto host = std::make_unique<HostThread>("Ending", 4, Port());
    client->SetPort(Port());
    client->EnumHosts();
    client->SelectHost("Ending");
    ASSERT_TRUE(client->Connect());
    host.reset();
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    const auto lines = ConsoleLines();
    EXPECT_EQ(lines[lines.size() - 2], "The server has terminated your connection.  Sorry.");
    EXPECT_EQ(lines.back(), "Press escape to return to the main menu.");
}

TEST_F(NetClientSession, PingsAreAnsweredWithTheSameTickAndBatchesApplied)
{
    HostThread host("Pinging", 4, Port());
    client->SetPort(Port());
    client->EnumHosts();
    client->SelectHost("Pinging");
    ASSERT_TRUE(client->Connect());
    ASSERT_TRUE(host.WaitForReceived(1, 2000));
    const auto player = host.Joined().at(0);
    host.Run([player](platform::SessionServer& s) {
        NetMessage ping, reply;
        ping.SetPing(123456);
        reply.SetJoin(55, 0, "Pilot");
        const auto bytes = MessageBatch::Frame({&reply, &ping});
        s.SendTo(player, bytes.data(), bytes.size(), true);
    });
    ASSERT_TRUE(WorkUntil([&] { return local->GetId() == 55; }));
    ASSERT_TRUE(host.WaitForReceived(2, 2000));
    NetMessage pong;
    const auto bytes = host.Received()[1];
    ASSERT_TRUE(pong.Parse(bytes.data(), bytes.size()));
    ASSERT_EQ(pong.Kind(), kMsgPong);
    std::uint32_t tick = 0;
    pong.GetTick(tick);
    EXPECT_EQ(tick, 123456u);
}

TEST_F(NetClientSession, TheHostCountsAndDropsItsPlayers)
{
    HostThread host("Dropping", 4, Port());
    client->SetPort(Port());
    client->EnumHosts();
    client->SelectHost("Dropping");
    ASSERT_TRUE(client->Connect());
    std::uint32_t players = 0;
    host.Run([&players](platform::SessionServer& s) { players = s.PlayerCount(); });
    EXPECT_EQ(players, 1u);
    const auto player = host.Joined().at(0);
    host.Run([player](platform::SessionServer& s) { s.Drop(player); });
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    host.Run([&players](platform::SessionServer& s) { players = s.PlayerCount(); });
    EXPECT_EQ(players, 0u);
}

TEST_F(NetClientSession, SelectingTakesTheFirstHostWhoseNameStartsTheRequest)
{
    HostThread first("Ar", 4, Port());
    HostThread second("Arena", 4, static_cast<std::uint16_t>(Port() + 1));
    client->SetPort(Port());
    client->EnumHosts();
    client->SetPort(static_cast<std::uint16_t>(Port() + 1));
    client->EnumHosts();
    ASSERT_EQ(client->HostCount(), 2u);
    client->SelectHost("Arena");
    ASSERT_TRUE(client->Connect());
    ASSERT_TRUE(first.WaitForReceived(1, 2000)) << "Ar comes first and matches the start of Arena";
    EXPECT_TRUE(second.Received().empty());
    client->SelectHost("Zebra");
    EXPECT_EQ(ConsoleLines().back(), "Server \"Zebra\" not found...");
}

} // namespace
