#include <gtest/gtest.h>

#include "net/ApplicationGuid.h"
#include "net/MessageBatch.h"
#include "platform/EnetHost.h"
#include "platform/SessionClient.h"
#include "support/ServerSessionTest.h"
#include "world/Map.h"

namespace {

// A second player that speaks the wire directly: it may send anything.
class RawPlayer : public platform::SessionClientListener {
public:
    explicit RawPlayer(std::uint16_t port) : session(this)
    {
        std::string error;
        session.Search(ApplicationGuid(), "127.0.0.1", port, error);
    }

    bool Connect() { return found && session.Connect(address); }
    void Send(const NetMessage& message)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
        message.Serialize(bytes.data(), message.WireSize());
        SendBytes(bytes);
    }
    void SendBytes(const std::vector<std::uint8_t>& bytes) { session.Send(bytes.data(), bytes.size(), platform::Delivery::Reliable); }

    void Pump() { session.DoWork(10); }

    void OnHostFound(const platform::discovery::Answer&, const platform::SessionAddress& from) override
    {
        found = true;
        address = from;
    }
    void OnConnectComplete(platform::ConnectOutcome) override {}
    void OnReceive(const std::uint8_t* data, std::size_t size) override
    {
        MessageBatch batch;
        batch.ParsePacked(data, size);
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            if (message->Kind() == kMsgPong)
                message->GetTick(pong);
        }
    }
    void OnTerminate() override { terminated = true; }

    bool terminated = false;
    std::uint32_t pong = 0; // the tick the last pong echoed

private:
    platform::SessionClient session;
    bool found = false;
    platform::SessionAddress address;
};

// A bare ENet peer on a loopback address of its own; a stalled one hears
// nothing, so it never finishes the handshake, as a hostile peer does.
class BareLink {
public:
    BareLink(const char* from, bool stalled)
    {
        ENetAddress at {};
        enet_address_set_host_ip(&at, from);
        host = platform::EnetReady() ? enet_host_create(&at, 1, platform::kChannels, 0, 0) : nullptr;
        if (host && stalled)
            host->intercept = [](ENetHost*, ENetEvent*) { return 1; };
    }
    ~BareLink()
    {
        if (host)
            enet_host_destroy(host);
    }
    BareLink(const BareLink&) = delete;
    BareLink& operator=(const BareLink&) = delete;

    bool Begin(std::uint16_t port)
    {
        ENetAddress to {};
        enet_address_set_host_ip(&to, "127.0.0.1");
        to.port = port;
        return host && enet_host_connect(host, &to, platform::kChannels, 0);
    }
    // Services the link for a while; true once the server took it.
    bool Pump(std::uint32_t ms)
    {
        ENetEvent event;
        const std::uint32_t start = platform::TickCount();
        do {
            while (enet_host_service(host, &event, 5) > 0) {
                if (event.type == ENET_EVENT_TYPE_CONNECT)
                    connected = true;
                if (event.type == ENET_EVENT_TYPE_RECEIVE)
                    enet_packet_destroy(event.packet);
            }
        } while (!connected && platform::TickCount() - start < ms);
        return connected;
    }

private:
    ENetHost* host = nullptr;
    bool connected = false;
};

class ServerSession : public ServerSessionTest {
protected:
    std::uint16_t Port() const { return TestPort(45000); }

    ServerOptions Options(int maxPlayers = 4, int bots = 0) const
    {
        ServerOptions options;
        options.port = Port();
        options.name = "Test Server";
        options.maxPlayers = maxPlayers;
        options.bots = bots;
        options.maps = {"Arena", "Warren"};
        return options;
    }

    bool Join() { return ServerSessionTest::Join("Test Server", Port()); }

    Listed Search()
    {
        client->SetPort(Port());
        return client->EnumHosts() ? FirstListed() : Listed();
    }
};

TEST_F(ServerSession, IsFoundWithItsCountsAndAJoinedShipSpawnsAndFliesWhileKIsHeld)
{
    StartServer(Options(4));
    EXPECT_EQ(Search(), (Listed{"Test Server", 4, 0}));

    ASSERT_TRUE(Join());
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_TRUE(ConsoleHas("Loaded map \"Arena\""));
    EXPECT_TRUE(ConsoleHas("Pilot joined the game"));
    const Vector3 spawn = local->Position();
    EXPECT_EQ(world->GetMap()->CellKindAt(static_cast<int>(spawn.x) / 32, static_cast<int>(spawn.y) / 32),
              kCellSpawnPoint) << "placed on a spawn point";

    held = {9};
    ASSERT_TRUE(WorkUntil([&] { return local->Target().y > spawn.y + 30.0; })) << "K thrusts along heading 0, +y";
    EXPECT_GT(local->Velocity().y, 0.0);
    EXPECT_LT(local->GetFuel(), 100.0f) << "and the tank pays";
}

TEST_F(ServerSession, RobotsTakeFreeSeatsGiveOneToAPersonAndComeBack)
{
    StartServer(Options(3, 3));
    EXPECT_EQ(Search().currentPlayers, 3) << "the robots count as players";

    ASSERT_TRUE(Join());
    EXPECT_TRUE(WorkUntil([&] { return world->ShipCount() == 3u; })) << "one robot made room";
    auto visitor = std::make_unique<RawPlayer>(Port());
    ASSERT_TRUE(visitor->Connect());
    NetMessage join;
    join.SetJoin(0, 1, "Visitor");
    visitor->Send(join);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Visitor joined the game"); }));
    EXPECT_EQ(world->ShipCount(), 3u) << "the last seat went to the person";

    visitor.reset();
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Visitor left the game"); }));
    EXPECT_TRUE(WorkUntil([&] { return world->ShipCount() == 3u; })) << "a robot came back to the free seat";
}

TEST_F(ServerSession, ChatPingsNamesAndGarbage)
{
    StartServer(Options(4));
    ASSERT_TRUE(Join());
    RawPlayer raw(Port());
    ASSERT_TRUE(raw.Connect());
    NetMessage join, ping, text;
    join.SetJoin(0, 2, "Pi\tlot");
    raw.Send(join);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Pilot (2) joined the game"); }))
        << "cleaned, and made unique beside the first Pilot";
    ASSERT_EQ(world->ShipCount(), 2u);

    ping.SetPing(123456);
    raw.Send(ping);
    ASSERT_TRUE(WorkUntil([&] {
        raw.Pump();
        return raw.pong != 0;
    }));
    EXPECT_EQ(raw.pong, 123456u);

    text.SetText("hello all");
    client->Send(text);
    EXPECT_TRUE(WorkUntil([] { return ConsoleHas("Pilot: hello all"); }));

    raw.SendBytes({0x0e, 0x01});
    ASSERT_TRUE(WorkUntil([&] {
        raw.Pump();
        return raw.terminated;
    })) << "a short control is no message: dropped";
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Pilot (2) left the game"); }));
    EXPECT_EQ(world->ShipCount(), 1u);
    const float heading = local->GetHeading();
    held = {8};
    EXPECT_TRUE(WorkUntil([&] { return local->GetHeading() != heading; })) << "the others play on";
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
    RawPlayer second(Port());
    EXPECT_FALSE(second.Connect());
    ServerThread rival(Options(), QR_DATA_DIR);
    std::string error;
    EXPECT_FALSE(rival.Start(error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;

    const std::uint32_t start = platform::TickCount();
    server->Stop();
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_LT(platform::TickCount() - start, 1000u) << "at once, not by time-out";
    EXPECT_TRUE(ConsoleHas("Press escape to return to the main menu."));
}

TEST_F(ServerSession, OneAddressMayHaveOnlyAFewHandshakesUnderWayWhileAnotherStillGetsIn)
{
    StartServer(Options(8));
    std::vector<std::unique_ptr<BareLink>> stalled;
    for (int i = 0; i < GameServer::kWaitingPerAddress; ++i) {
        stalled.push_back(std::make_unique<BareLink>("127.0.0.1", true));
        ASSERT_TRUE(stalled.back()->Begin(Port()));
        stalled.back()->Pump(20);
    }
    BareLink fifth("127.0.0.1", false);
    ASSERT_TRUE(fifth.Begin(Port()));
    EXPECT_FALSE(fifth.Pump(1500)) << "a fifth from the same address";
    BareLink neighbour("127.0.0.2", false);
    ASSERT_TRUE(neighbour.Begin(Port()));
    EXPECT_TRUE(neighbour.Pump(1500)) << "another address";
}

} // namespace
