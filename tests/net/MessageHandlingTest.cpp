#include <gtest/gtest.h>

#include <string>

#include "base/Console.h"
#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "support/ClientWorld.h"
#include "support/MapFile.h"
#include "support/TempDir.h"
#include "world/Map.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"
#include "world/World.h"

namespace {

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

    std::string NewestLine()
    {
        char line[Console::kLineSize] = {};
        Console::Instance()->Rewind();
        Console::Instance()->ReadNextLine(line, sizeof line);
        return line;
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
    EXPECT_EQ(NewestLine(), "50% of players say hi");
    EXPECT_EQ(local->GetId(), 31);
    EXPECT_FALSE(client->IsRoundOver());
    Apply({&over});
    EXPECT_TRUE(client->IsRoundOver());
}

TEST_F(MessageHandling, MapMessagesLoadOrSayWhy)
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
    EXPECT_EQ(NewestLine(), "Loaded map \"Den\"");
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_EQ(local->GetScore(), 0);
    EXPECT_FALSE(local->IsAlive());

    map.SetMapName("Nowhere");
    Apply({&map});
    EXPECT_EQ(NewestLine(), "Unable to load map \"Nowhere\", maybe you don't have that one?");
    EXPECT_EQ(world->GetMap(), nullptr);
}

TEST_F(MessageHandling, SpawnsCreateOnceAndSnap)
{
    NetMessage spawn;
    spawn.SetPlayerSpawn(8, 100, 200, 3, "Other");
    Apply({&spawn});
    Ship* other = world->FindShip(8);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(other->IsAlive());
    EXPECT_EQ(other->GetShipType(), 3);
    EXPECT_STREQ(other->Name(), "Other");
    EXPECT_EQ(other->Position().x, 100.0);
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

TEST_F(MessageHandling, ShipStateTakesOnlyValuesInRange)
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
    EXPECT_EQ(ship->Target().x, 40.0);
    EXPECT_EQ(ship->Position().x, 10.0) << "the position follows in Update";
    EXPECT_EQ(ship->GetHeading(), 270.0f);
    EXPECT_EQ(ship->GetFlags(), 0x10);
    EXPECT_EQ(ship->GetRepulsors(), 3);

    state.SetShipState(4, 0, 150.0f, 200.0f, 5, 0, 0, 0, 0, Vector3(), Vector3(), 0);
    Apply({&state});
    EXPECT_EQ(ship->GetMaxFuel(), 200.0f);
    EXPECT_EQ(ship->GetFuel(), 150.0f) << "taken against the new tank";
    EXPECT_EQ(ship->GetScore(), 5);

    unknown.SetShipState(99, 0, 0, 0, 0, 0, 0, 0, 0, Vector3(), Vector3(), 0);
    Apply({&unknown});
    EXPECT_EQ(world->FindShip(99), nullptr) << "no ship is made from a state";

    killed.SetShipKilled(4);
    Apply({&killed});
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
    EXPECT_EQ(powerup->GetKind(), 3);
    EXPECT_TRUE(powerup->IsAlive());
    EXPECT_EQ(powerup->Position().x, 30.0);
    EXPECT_EQ(powerup->Velocity().x, 5.0);
    EXPECT_EQ(powerup->GetHeading(), 45.0f);

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

TEST_F(MessageHandling, TurretsAndTiles)
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
    EXPECT_EQ(made->Position().x, 48.0) << "a turret stays where it stood";

    tile.SetTileChange(-1, 2, 9);
    Apply({&tile}); // no map yet: ignored
    GiveMap();
    Apply({&tile});
    EXPECT_EQ(world->GetMap()->CellExtraAt(7, 2), 9) << "column -1 is the last";
    EXPECT_EQ(world->GetMap()->CellKindAt(7, 2), 0);
}

TEST_F(MessageHandling, PongGivesHalfTheRoundTrip)
{
    EXPECT_EQ(client->GetPing(), 0);
    NetMessage pong;
    pong.SetPong(platform::TickCount() - 100);
    Apply({&pong});
    EXPECT_GE(client->GetPing(), 50);
    EXPECT_LE(client->GetPing(), 55);
}

TEST_F(MessageHandling, GarbageIsIgnored)
{
    const std::uint8_t junk[] = {3, 0, 0, 0, 2, 0, 0, 0, 0x0A, 1, 5, 0, 0, 0, 0x63, 0xFF, 0xFF, 0xFF, 0xFF};
    MessageBatch batch;
    batch.Parse(junk, sizeof junk);
    client->HandleBatch(batch);
    EXPECT_EQ(world->ShipCount(), 1u);
}

} // namespace
