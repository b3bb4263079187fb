#include <gtest/gtest.h>

#include <chrono>
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
#include "support/MapFile.h"
#include "support/TempDir.h"
#include "world/Map.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"
#include "world/World.h"

namespace {

// The player's network client against a real host over loopback. Each
// test has a port of its own, so tests may run side by side.
class NetClientSession : public ClientWorldTest {
protected:
    std::uint16_t Port() const { return TestPort(41000); }

    // Lets the client work until the condition holds or two seconds pass.
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

    bool Join(const char* name, std::uint16_t port)
    {
        client->SetPort(port);
        client->EnumHosts();
        client->SelectHost(name);
        return client->Connect();
    }

    // The first listed host's name and player counts.
    std::string FirstHost(int& maxPlayers, int& currentPlayers)
    {
        char name[64] = {};
        client->HostsBegin();
        client->HostsNext(name, sizeof name, maxPlayers, currentPlayers);
        return name;
    }
};

TEST_F(NetClientSession, SearchesListTheHostOnceCountingOneFewerPlayers)
{
    HostThread host("Loopback Arena", 7, Port());
    ASSERT_TRUE(host.Hosting());
    host.Run([](platform::SessionServer& s) { s.SetAnnouncedCounts(3, 8); });
    client->SetPort(Port());
    ASSERT_TRUE(client->EnumHosts());
    ASSERT_TRUE(client->EnumHosts());
    ASSERT_EQ(client->HostCount(), 1u) << "two answers from one host, one entry";
    int maxPlayers = 0, currentPlayers = 0;
    EXPECT_EQ(FirstHost(maxPlayers, currentPlayers), "Loopback Arena");
    EXPECT_EQ(maxPlayers, 7) << "the host counts itself";
    EXPECT_EQ(currentPlayers, 2);
    client->ListHosts();
    EXPECT_EQ(ConsoleLines().back(), "Server: Loopback Arena");

    NetClient::Destroy();
    client = NetClient::Instance();
    client->SetPort(Port());
    ASSERT_TRUE(client->EnumHostsAt("127.0.0.1"));
    EXPECT_EQ(FirstHost(maxPlayers, currentPlayers), "Loopback Arena") << "at a typed address";
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

TEST_F(NetClientSession, AJoinedPlayerSendsItsJoinEchoesPingsAndHearsTheEnd)
{
    auto host = std::make_unique<HostThread>("Joinable", 4, Port());
    ASSERT_TRUE(Join("Joinable and more", Port()));
    EXPECT_TRUE(client->IsConnected());
    EXPECT_EQ(ConsoleLines().back(), "Registering with server...");
    std::uint32_t players = 0;
    host->Run([&players](platform::SessionServer& s) { players = s.PlayerCount(); });
    EXPECT_EQ(players, 1u);
    ASSERT_TRUE(host->WaitForReceived(1, 2000));
    NetMessage join;
    ASSERT_TRUE(join.Parse(host->Received()[0].data(), host->Received()[0].size()));
    int id = -1, type = -1;
    char name[128] = {};
    join.GetJoin(id, type, name, sizeof name);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(type, 3);
    EXPECT_STREQ(name, "Pilot");

    client->Send(NetMessage());
    NetMessage text;
    text.SetText("after nothing");
    client->Send(text);
    ASSERT_TRUE(host->WaitForReceived(2, 2000));
    EXPECT_EQ(host->Received()[1][0], kMsgText) << "a message of kind 0 sent nothing";

    const auto player = host->Joined().at(0);
    host->Run([player](platform::SessionServer& s) {
        NetMessage reply, ping;
        reply.SetJoin(55, 0, "Pilot");
        ping.SetPing(123456);
        const auto bytes = MessageBatch::Frame({&reply, &ping});
        s.SendTo(player, bytes.data(), bytes.size(), true);
    });
    ASSERT_TRUE(WorkUntil([&] { return local->GetId() == 55; }));
    ASSERT_TRUE(host->WaitForReceived(3, 2000));
    NetMessage pong;
    ASSERT_TRUE(pong.Parse(host->Received()[2].data(), host->Received()[2].size()));
    ASSERT_EQ(pong.Kind(), kMsgPong);
    std::uint32_t tick = 0;
    pong.GetTick(tick);
    EXPECT_EQ(tick, 123456u) << "the ping's own tick";

    host.reset();
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    const auto lines = ConsoleLines();
    EXPECT_EQ(lines[lines.size() - 2], "The server has terminated your connection.  Sorry.");
    EXPECT_EQ(lines.back(), "Press escape to return to the main menu.");
}

TEST_F(NetClientSession, FullHostTurnsThePlayerAway)
{
    HostThread host("Full", 0, Port());
    EXPECT_FALSE(Join("Full", Port()));
    const auto lines = ConsoleLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "The server was full and rejected your request to join.");
    EXPECT_EQ(lines.back(), "Press escape to return to the main menu.");
}

TEST_F(NetClientSession, SelectingTakesTheFirstHostWhoseNameStartsTheRequest)
{
    const auto secondPort = static_cast<std::uint16_t>(Port() + 1);
    HostThread first("Ar", 4, Port());
    HostThread second("Arena", 4, secondPort);
    client->SetPort(Port());
    client->EnumHosts();
    ASSERT_TRUE(Join("Arena", secondPort));
    ASSERT_EQ(client->HostCount(), 2u);
    ASSERT_TRUE(first.WaitForReceived(1, 2000)) << "Ar comes first and matches the start of Arena";
    EXPECT_TRUE(second.Received().empty());
    client->SelectHost("Zebra");
    EXPECT_EQ(ConsoleLines().back(), "Server \"Zebra\" not found...");
}

// The network client applying batches to a world with a local ship, as in
// a game; no network is opened.
class MessageHandling : public ClientWorldTest {
protected:
    void Apply(const std::vector<const NetMessage*>& messages)
    {
        const auto bytes = MessageBatch::Frame(messages);
        MessageBatch batch;
        batch.Parse(bytes.data(), bytes.size());
        client->HandleBatch(batch);
    }

    void GiveMap()
    {
        const auto bytes = MapFileBytes("Room", std::vector<std::vector<int>>(8, std::vector<int>(8, 0)));
        auto map = std::make_unique<Map>();
        map->LoadFromBytes(bytes.data(), bytes.size());
        world->SetMap(std::move(map));
    }
};

TEST_F(MessageHandling, TextJoinAndRoundOver)
{
    NetMessage text, join, over;
    text.SetText("50% of players say hi");
    join.SetJoin(31, 2, "ignored");
    over.SetRoundOver();
    Apply({&text, &join});
    EXPECT_EQ(ConsoleLines().back(), "50% of players say hi");
    EXPECT_EQ(local->GetId(), 31);
    EXPECT_FALSE(client->IsRoundOver());
    Apply({&over});
    EXPECT_TRUE(client->IsRoundOver());
}

TEST_F(MessageHandling, MapMessagesStartARoundOrSayWhyNot)
{
    TempDir dir;
    const auto bytes = MapFileBytes("Den", {{1, 0}, {0, 6}});
    dir.WriteFile("Maps/Den.smp", std::string(bytes.begin(), bytes.end()));
    ScopedWorkingDir cwd(dir.Path());
    NetMessage over, map;
    over.SetRoundOver();
    map.SetMapName("Den");
    local->ForceRespawn(0, 0);
    local->SetScore(4);
    Apply({&over, &map});
    EXPECT_FALSE(client->IsRoundOver()) << "a map starts a round";
    EXPECT_EQ(ConsoleLines().back(), "Loaded map \"Den\"");
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_EQ(local->GetScore(), 0);
    EXPECT_FALSE(local->IsAlive());

    map.SetMapName("Nowhere");
    Apply({&map});
    EXPECT_EQ(ConsoleLines().back(), "Unable to load map \"Nowhere\", maybe you don't have that one?");
    EXPECT_EQ(world->GetMap(), nullptr);
}

TEST_F(MessageHandling, SpawnsCreateOnceAndSnap)
{
    NetMessage spawn;
    spawn.SetPlayerSpawn(8, 100, 200, 3, "Other");
    Apply({&spawn});
    Ship* other = world->FindShip(8);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(std::tuple(other->IsAlive(), other->GetShipType(), std::string(other->Name()), other->Position().y),
              std::tuple(true, 3, std::string("Other"), 200.0));
    other->Kill();
    spawn.SetPlayerSpawn(8, 50, 60, 1, "Renamed");
    Apply({&spawn});
    EXPECT_EQ(world->ShipCount(), 2u) << "a known id respawns, it is not added again";
    EXPECT_TRUE(other->IsAlive());
    EXPECT_STREQ(other->Name(), "Other");

    GiveMap();
    other->SetTarget(Vector3(70, 80, 0));
    world->Update(1);
    EXPECT_EQ(other->Position().x, 70.0) << "the spawn asked for a snap";
}

TEST_F(MessageHandling, ShipStateTakesOnlyValuesInRangeAndKillsAndLeavesFollow)
{
    NetMessage spawn, state, killed, left, unknown;
    spawn.SetPlayerSpawn(4, 10, 10, 0, "Four");
    Apply({&spawn});
    Ship* ship = world->FindShip(4);
    ship->SetScore(9);
    state.SetShipState(4, 0x10, 150.0f, 100.0f, 127, 2, 1, 1, 3, Vector3(40, 50, 0), Vector3(1, 2, 0), -90.0f);
    Apply({&state});
    EXPECT_EQ(ship->GetScore(), 9) << "127 is out of range";
    EXPECT_EQ(ship->GetFuel(), 100.0f) << "150 is more than the tank";
    EXPECT_EQ(ship->Position().x, 10.0) << "the position follows in Update";
    EXPECT_EQ(std::tuple(ship->Target().y, ship->Velocity().y, ship->GetHeading(), ship->GetFlags(), ship->GetMissiles(),
                         ship->GetMines(), ship->GetPlasmaMines(), ship->GetRepulsors()),
              std::tuple(50.0, 2.0, 270.0f, 0x10, 2, 1, 1, 3));

    state.SetShipState(4, 0, 150.0f, 200.0f, 5, 0, 0, 0, 0, Vector3(), Vector3(), 0);
    Apply({&state});
    EXPECT_EQ(ship->GetMaxFuel(), 200.0f);
    EXPECT_EQ(ship->GetFuel(), 150.0f) << "taken against the new tank";
    EXPECT_EQ(ship->GetScore(), 5);

    unknown.SetShipState(99, 0, 0, 0, 0, 0, 0, 0, 0, Vector3(), Vector3(), 0);
    killed.SetShipKilled(4);
    Apply({&unknown, &killed});
    EXPECT_EQ(world->FindShip(99), nullptr) << "no ship is made from a state";
    EXPECT_FALSE(ship->IsAlive());
    EXPECT_EQ(world->FindShip(4), ship);
    left.SetPlayerLeft(4);
    Apply({&left});
    EXPECT_EQ(world->FindShip(4), nullptr);
}

TEST_F(MessageHandling, EntityStatesCreateByKindThenSteer)
{
    NetMessage state;
    state.SetEntityState(70, kTypePowerup, Vector3(30, 40, 0), Vector3(5, 0, 0), 45.0f, 3);
    Apply({&state});
    auto* powerup = dynamic_cast<Powerup*>(world->FindEntity(70));
    ASSERT_NE(powerup, nullptr);
    EXPECT_EQ(std::tuple(powerup->GetKind(), powerup->IsAlive(), powerup->Position().y, powerup->Velocity().x,
                         powerup->GetHeading()),
              std::tuple(3, true, 40.0, 5.0, 45.0f));

    state.SetEntityState(70, kTypePowerup, Vector3(90, 90, 0), Vector3(0, 5, 0), 0.0f, 3);
    Apply({&state});
    EXPECT_EQ(powerup->Position().x, 30.0) << "a known entity only gets a new target";
    EXPECT_EQ(powerup->Target().x, 90.0);
    powerup->Kill();
    Apply({&state});
    EXPECT_TRUE(powerup->IsAlive()) << "a killed, unswept entity comes back";
    EXPECT_EQ(powerup->Position().x, 90.0);

    state.SetEntityState(71, kTypeShrapnel, Vector3(), Vector3(), 0, 1);
    Apply({&state});
    EXPECT_EQ(dynamic_cast<Shrapnel*>(world->FindEntity(71))->GetVariant(), 1);
    for (int kind : {0, 1, 7, 9, 100}) {
        state.SetEntityState(200 + kind, kind, Vector3(), Vector3(), 0, 0);
        Apply({&state});
        EXPECT_EQ(world->FindEntity(200 + kind), nullptr) << "kind " << kind;
    }

    NetMessage killed;
    killed.SetEntityKilled(71);
    GiveMap();
    Apply({&killed});
    world->Update(16);
    EXPECT_EQ(world->FindEntity(71), nullptr);
}

TEST_F(MessageHandling, TurretsStayWhereTheyStoodAndTilesNeedAMap)
{
    NetMessage turret, tile;
    turret.SetTurretState(5, kTurretLeft, false, Vector3(48, 80, 0));
    Apply({&turret});
    Turret* made = world->FindTurret(5);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetDirection(), kTurretLeft);
    EXPECT_FALSE(made->IsAlive());
    turret.SetTurretState(5, kTurretUp, true, Vector3(0, 0, 0));
    Apply({&turret});
    EXPECT_TRUE(made->IsAlive());
    EXPECT_EQ(made->Position().y, 80.0) << "a turret stays where it stood";

    tile.SetTileChange(-1, 2, 9);
    Apply({&tile}); // no map yet: ignored
    GiveMap();
    Apply({&tile});
    EXPECT_EQ(world->GetMap()->CellExtraAt(7, 2), 9) << "column -1 is the last";
    EXPECT_EQ(world->GetMap()->CellKindAt(7, 2), 0);
}

TEST_F(MessageHandling, PongGivesHalfTheRoundTripAndGarbageIsIgnored)
{
    EXPECT_EQ(client->GetPing(), 0);
    NetMessage pong;
    pong.SetPong(platform::TickCount() - 100);
    Apply({&pong});
    EXPECT_GE(client->GetPing(), 50);
    EXPECT_LE(client->GetPing(), 55);

    const std::uint8_t junk[] = {3, 0, 0, 0, 2, 0, 0, 0, 0x0A, 1, 5, 0, 0, 0, 0x63, 0xFF, 0xFF, 0xFF, 0xFF};
    MessageBatch batch;
    batch.Parse(junk, sizeof junk);
    client->HandleBatch(batch);
    EXPECT_EQ(world->ShipCount(), 1u);
}

} // namespace
