#include <gtest/gtest.h>

#include "net/MessageBatch.h"
#include "platform/EnetHost.h"
#include "server/engine/ServedGame.h"

namespace {

// A player that speaks ENet directly from a loopback address of its own:
// it may send anything, and a stalled one hears nothing, so it never
// finishes the handshake, as a hostile peer does.
class RawPeer {
public:
    explicit RawPeer(const char* from = "127.0.0.1", bool stalled = false)
    {
        ENetAddress at {};
        enet_address_set_host_ip(&at, from);
        host = platform::EnetReady() ? enet_host_create(&at, 1, platform::kChannels, 0, 0) : nullptr;
        if (host && stalled)
            host->intercept = [](ENetHost*, ENetEvent*) { return 1; };
    }
    ~RawPeer()
    {
        if (host)
            enet_host_destroy(host);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    // True once the server took the player, within ms.
    bool Connect(std::uint16_t port, std::uint32_t ms = 3000)
    {
        ENetAddress to {};
        enet_address_set_host_ip(&to, "127.0.0.1");
        to.port = port;
        peer = host ? platform::ConnectProven(host, to, ms) : nullptr;
        for (const std::uint32_t start = platform::TickCount(); peer && !taken && platform::TickCount() - start < ms;)
            Pump(5);
        return taken;
    }
    void Send(const NetMessage& message)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
        message.Serialize(bytes.data(), message.WireSize());
        platform::SendPayload(host, peer, bytes.data(), bytes.size(), platform::Delivery::Reliable);
    }
    void Pump(std::uint32_t ms = 0)
    {
        ENetEvent event;
        while (enet_host_service(host, &event, ms) > 0) {
            if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                peer = nullptr;
            if (event.type != ENET_EVENT_TYPE_RECEIVE)
                continue;
            taken |= event.channelID == platform::kControlChannel;
            MessageBatch batch;
            batch.ParsePacked(event.packet->data, event.packet->dataLength);
            for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
                if (message->Kind() == kMsgPong)
                    message->GetTick(pong);
            }
            enet_packet_destroy(event.packet);
        }
    }

    std::uint32_t pong = 0; // the tick the last pong echoed

private:
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool taken = false;
};

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
    StartServer(Options(1));
    ASSERT_TRUE(Join());
    RawPeer second;
    EXPECT_FALSE(second.Connect(port));
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
