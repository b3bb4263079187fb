#include <gtest/gtest.h>

#include "server/engine/RawPeer.h"
#include "server/engine/ServedGame.h"

namespace {

class ServerSession : public ServedGame {
protected:
    ServerSession() : ServedGame(45000, "Test Server") {}
};

// Leaving, garbage and floods, and the robot that comes back to a seat a
// person left, are the hostile tests'; held keys flying a ship, the bad
// network test's; chat there and back, the end-to-end server game's.
TEST_F(ServerSession, IsFoundWithItsRobotsWhoGiveTheirSeatsToPeopleWhosePingsAreAnswered)
{
    StartServer(Options(3, 3));
    client->SetPort(port);
    ASSERT_TRUE(client->EnumHosts());
    EXPECT_EQ(FirstListed(), (Listed{"Test Server", 3, 3})) << "the robots count as players";
    ASSERT_TRUE(Join());
    EXPECT_TRUE(WorkUntil([&] { return world->ShipCount() == 3u; })) << "one robot made room";
    RawPeer raw;
    ASSERT_TRUE(raw.Connect(port));
    NetMessage join, ping;
    join.SetJoin(0, 2, "Pi\tlot");
    raw.Send(join);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Pilot (2) joined the game"); }))
        << "cleaned, and made unique beside the first Pilot";
    EXPECT_EQ(world->ShipCount(), 3u) << "the last seat went to the person";

    ping.SetPing(123456);
    raw.Send(ping);
    ASSERT_TRUE(WorkUntil([&] {
        raw.Pump();
        return raw.pong != 0;
    }));
    EXPECT_EQ(raw.pong, 123456u);
}

TEST_F(ServerSession, AMapChangeAndAHaltFromThisMachineAreHonoured)
{
    StartServer(Options(4));
    ASSERT_TRUE(Join());
    NetMessage change, halt;
    change.SetMapName("Warren");
    client->Send(change);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Loaded map \"Warren\""); }));
    EXPECT_TRUE(WorkUntil([&] { return local->IsAlive(); })) << "respawned on the new map";

    change.SetMapName("../Arena");
    client->Send(change);
    EXPECT_TRUE(WorkUntil([] { return ConsoleHas("Cannot change to map \"../Arena\"."); }));

    halt.SetHalt(0);
    client->Send(halt);
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_TRUE(server->HaltRequested());
    EXPECT_TRUE(ConsoleHas("The server has terminated your connection.  Sorry."));
}

TEST_F(ServerSession, AFullServerTurnsTheNextPlayerAwayKeepsItsPortAndEndingTellsEveryone)
{
    // Places to watch are free: a pilot is refused all the same, and told
    // so; a watcher is taken.
    StartServer(Options(1));
    RawPeer first;
    ASSERT_TRUE(first.Connect(port));
    EXPECT_FALSE(JoinHost(name, port));
    EXPECT_TRUE(ConsoleHas("The server was full and rejected your request to join."));
    client->WatchOnConnect(true);
    ASSERT_TRUE(JoinHost(name, port));
    ASSERT_TRUE(WorkUntil([&] { return client->IsWatching(); }));
    ServerThread rival(Options(), QR_DATA_DIR);
    std::string error;
    EXPECT_FALSE(rival.Start(error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;

    const std::uint32_t start = platform::TickCount();
    server->Stop();
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_LT(platform::TickCount() - start, 3000u) << "at once, not by time-out";
    EXPECT_TRUE(ConsoleHas("Press escape to return to the main menu."));
}

TEST_F(ServerSession, OneAddressMayHaveOnlyAFewHandshakesUnderWayWhileAnotherStillGetsIn)
{
    StartServer(Options(8));
    std::vector<std::unique_ptr<RawPeer>> stalled;
    for (int i = 0; i < GameServer::kWaitingPerAddress; ++i) {
        stalled.push_back(std::make_unique<RawPeer>("127.0.0.1", true));
        stalled.back()->Connect(port, 20);
    }
    EXPECT_FALSE(RawPeer().Connect(port, 1500)) << "a fifth from the same address";
    EXPECT_TRUE(RawPeer("127.0.0.2").Connect(port, 1500)) << "another address";
}

} // namespace
