#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/ApplicationGuid.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/SessionClient.h"
#include "server/GameServer.h"
#include "server/ServerLog.h"
#include "support/ClientWorld.h"
#include "support/Keys.h"
#include "support/ServerThread.h"
#include "support/TempDir.h"
#include "world/Map.h"

namespace {

std::vector<std::uint8_t> Bytes(const NetMessage& message)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
    message.Serialize(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

// A second player that speaks the wire directly: it may send anything.
class RawPlayer : public platform::SessionClientListener {
public:
    explicit RawPlayer(std::uint16_t port) : session(this)
    {
        std::string error;
        session.Search(ApplicationGuid(), "127.0.0.1", port, error);
    }

    bool Connect() { return found && session.Connect(address); }
    void Send(const NetMessage& message) { SendBytes(Bytes(message)); }
    void SendBytes(const std::vector<std::uint8_t>& bytes) { session.Send(bytes.data(), bytes.size(), true); }

    template <typename Condition>
    bool WorkUntil(Condition condition)
    {
        const std::uint32_t start = platform::TickCount();
        while (!condition() && platform::TickCount() - start < 3000) {
            session.DoWork(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return condition();
    }

    // The tick the last pong echoed, 0 before one came.
    std::uint32_t Pong() const
    {
        std::uint32_t tick = 0;
        for (const auto& payload : received) {
            MessageBatch batch;
            batch.Parse(payload.data(), payload.size());
            for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
                if (message->Kind() == kMsgPong)
                    message->GetTick(tick);
            }
        }
        return tick;
    }

    void OnHostFound(const platform::discovery::Answer&, const platform::SessionAddress& from) override
    {
        found = true;
        address = from;
    }
    void OnConnectComplete(bool) override {}
    void OnReceive(const std::uint8_t* data, std::size_t size) override { received.emplace_back(data, data + size); }
    void OnTerminate() override { terminated = true; }

    bool terminated = false;
    std::vector<std::vector<std::uint8_t>> received;

private:
    platform::SessionClient session;
    bool found = false;
    platform::SessionAddress address;
};

// The real server on a thread of its own, and the player's real network
// client joining it over loopback, its maps read from the game's data.
class ServerSession : public ClientWorldTest {
protected:
    void SetUp() override
    {
        ClientWorldTest::SetUp();
        inData = std::make_unique<ScopedWorkingDir>(QR_DATA_DIR);
    }

    void TearDown() override
    {
        StopServer();
        inData.reset();
        ClientWorldTest::TearDown();
    }

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

    void StartServer(int maxPlayers = 4, int bots = 0)
    {
        server = std::make_unique<ServerThread>(Options(maxPlayers, bots), QR_DATA_DIR);
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
    }

    void StopServer()
    {
        if (server)
            server->Stop();
    }

    bool Join()
    {
        client->SetPort(Port());
        client->EnumHosts();
        client->SelectHost("Test Server");
        return client->Connect() && WorkUntil([&] { return local->GetId() != 0 && local->IsAlive(); });
    }

    template <typename Condition>
    bool WorkUntil(Condition condition, const std::vector<std::int32_t>& held = {0})
    {
        NetMessage control;
        const std::uint32_t start = platform::TickCount();
        while (!condition() && platform::TickCount() - start < 3000) {
            control.SetControl(local->GetId(), held.data(), static_cast<int>(held.size()));
            client->Send(control);
            client->DoWork(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }

    // The server as the LAN search lists it.
    struct Listed {
        std::string name;
        int maxPlayers = 0;
        int currentPlayers = -1;
    };
    Listed Search()
    {
        client->SetPort(Port());
        Listed listed;
        char name[64] = {};
        if (client->EnumHosts()) {
            client->HostsBegin();
            client->HostsNext(name, sizeof name, listed.maxPlayers, listed.currentPlayers);
        }
        listed.name = name;
        return listed;
    }

    static bool ConsoleHas(const std::string& line) { return std::ranges::count(ConsoleLines(), line) > 0; }

    ServerLog log {nullptr};
    std::unique_ptr<ScopedWorkingDir> inData;
    std::unique_ptr<ServerThread> server;
};

TEST_F(ServerSession, IsFoundWithItsCountsAndAJoinedShipSpawnsAndFliesWhileKIsHeld)
{
    StartServer(4);
    const Listed listed = Search();
    EXPECT_EQ(listed.name, "Test Server");
    EXPECT_EQ(listed.maxPlayers, 4);
    EXPECT_EQ(listed.currentPlayers, 0);

    ASSERT_TRUE(Join());
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_TRUE(ConsoleHas("Loaded map \"Arena\""));
    EXPECT_TRUE(ConsoleHas("Pilot joined the game"));
    const Vector3 spawn = local->Position();
    EXPECT_EQ(world->GetMap()->CellKindAt(static_cast<int>(spawn.x) / 32, static_cast<int>(spawn.y) / 32),
              kCellSpawnPoint)
        << "placed on a spawn point";

    ASSERT_TRUE(WorkUntil([&] { return local->Target().y > spawn.y + 30.0; }, {9}))
        << "K thrusts along heading 0, +y";
    EXPECT_GT(local->Velocity().y, 0.0);
    EXPECT_LT(local->GetFuel(), 100.0f) << "and the tank pays";
}

TEST_F(ServerSession, RobotsTakeFreeSeatsGiveOneToAPersonAndComeBack)
{
    StartServer(3, 3);
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
    StartServer(4);
    ASSERT_TRUE(Join());
    RawPlayer raw(Port());
    ASSERT_TRUE(raw.Connect());
    NetMessage join;
    join.SetJoin(0, 2, "Pi\tlot");
    raw.Send(join);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Pilot (2) joined the game"); }))
        << "cleaned, and made unique beside the first Pilot";
    ASSERT_EQ(world->ShipCount(), 2u);

    NetMessage ping;
    ping.SetPing(123456);
    raw.Send(ping);
    ASSERT_TRUE(raw.WorkUntil([&] { return raw.Pong() != 0; }));
    EXPECT_EQ(raw.Pong(), 123456u);

    NetMessage text;
    text.SetText("hello all");
    client->Send(text);
    EXPECT_TRUE(WorkUntil([] { return ConsoleHas("Pilot: hello all"); }));

    raw.SendBytes({0x0e, 0x01});
    ASSERT_TRUE(raw.WorkUntil([&] { return raw.terminated; })) << "a short control is no message: dropped";
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Pilot (2) left the game"); }));
    EXPECT_EQ(world->ShipCount(), 1u);
    const float heading = local->GetHeading();
    EXPECT_TRUE(WorkUntil([&] { return local->GetHeading() != heading; }, {8})) << "the others play on";
}

TEST_F(ServerSession, AMapChangeAndAHaltFromThisMachineAreHonoured)
{
    StartServer(4);
    ASSERT_TRUE(Join());
    NetMessage change;
    change.SetMapName("Warren");
    client->Send(change);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Loaded map \"Warren\""); }));
    EXPECT_TRUE(WorkUntil([&] { return local->IsAlive(); })) << "respawned on the new map";

    change.SetMapName("../Arena");
    client->Send(change);
    EXPECT_TRUE(WorkUntil([] { return ConsoleHas("Cannot change to map \"../Arena\"."); }));

    NetMessage halt;
    halt.SetHalt(0);
    client->Send(halt);
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_TRUE(server->HaltRequested());
    EXPECT_TRUE(ConsoleHas("The server has terminated your connection.  Sorry."));
    StopServer();
}

TEST_F(ServerSession, AFullServerTurnsTheNextPlayerAwayAndEndingTellsEveryone)
{
    StartServer(1);
    ASSERT_TRUE(Join());
    RawPlayer second(Port());
    EXPECT_FALSE(second.Connect());

    const std::uint32_t start = platform::TickCount();
    StopServer();
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_LT(platform::TickCount() - start, 1000u) << "at once, not by time-out";
    EXPECT_TRUE(ConsoleHas("Press escape to return to the main menu."));
}

TEST_F(ServerSession, APortInUseIsRefusedWithTheReason)
{
    StartServer(4);
    GameServer second(Options(), QR_DATA_DIR, log);
    std::string error;
    EXPECT_FALSE(second.Start(error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
}

} // namespace
