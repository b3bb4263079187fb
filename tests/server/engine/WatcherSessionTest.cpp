#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandInterpreter.h"
#include "app/GameRecording.h"
#include "app/Settings.h"
#include "demo/DemoReader.h"
#include "platform/Clock.h"
#include "server/engine/RawPeer.h"
#include "server/engine/ServedGame.h"
#include "server/game/Player.h"
#include "support/TempDir.h"
#include "world/GameKey.h"
#include "world/Ship.h"

namespace {

// People who watch without a ship, as the real server takes them: raw
// peers that may send anything, and the player's real client typing its
// commands.
class WatcherSession : public ServedGame {
protected:
    WatcherSession() : ServedGame(48000, "Stand Server") {}

    ServerOptions Options(int seats, int bots, int places) const
    {
        ServerOptions options = ServedGame::Options(seats, bots);
        options.spectatorSlots = places;
        return options;
    }
    // A raw peer that asked to watch (or to join) under the name.
    std::unique_ptr<RawPeer> Arrive(const char* name, bool watching)
    {
        auto peer = std::make_unique<RawPeer>();
        EXPECT_TRUE(peer->Connect(port, 3000, watching)) << name;
        NetMessage hello;
        watching ? hello.SetWatch(1, name) : hello.SetJoin(0, 1, name);
        peer->Send(hello);
        return peer;
    }
    bool PumpUntil(RawPeer& peer, const std::function<bool()>& done)
    {
        return WorkUntil([&] {
            peer.Pump();
            return done();
        });
    }
    static void Type(const char* line) { CommandInterpreter().Execute(line); }
    // Some line of the console holds the words.
    static bool ConsoleHolds(const std::string& words)
    {
        return std::ranges::any_of(ConsoleLines(),
                                   [&](const std::string& line) { return line.find(words) != std::string::npos; });
    }
    bool Answered(const char* line, const std::string& answer)
    {
        Type(line);
        return WorkUntil([&] { return ConsoleHas(answer); });
    }
};

TEST_F(WatcherSession, AFullGameStillTakesWatchersUpToThePlacesWhoseKeysClaimsAndSeatsAreRefused)
{
    StartServer(Options(2, 0, 2));
    ASSERT_TRUE(Join());
    auto ann = Arrive("Ann", true);
    auto bob = Arrive("Bob", true);
    ASSERT_TRUE(PumpUntil(*bob, [&] { return std::ranges::count(bob->kinds, kMsgMap) > 0; }));
    EXPECT_EQ(bob->kinds.front(), kMsgWatching) << "the reply comes first, before the map";
    EXPECT_TRUE(PumpUntil(*ann, [&] { return std::ranges::count(ann->kinds, kMsgWatchers) > 0; }));

    EXPECT_FALSE(RawPeer().Connect(port, 3000, true)) << "a third past two places";
    auto dee = Arrive("Dee", false);
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Dee joined the game"); })) << "watchers hold no seat";

    // Ann holds every key, claims a ship by joining, and asks for a seat.
    NetMessage keys, claim, seat, line;
    const std::int32_t held[] = {kKeyThrust, kKeyFire, kKeyTurnLeft};
    keys.SetControl(local->GetId(), held, 3);
    claim.SetJoin(0, 1, "Ann");
    seat.SetServerCommand("join");
    line.SetText("nice shot");
    for (const NetMessage* message : {&keys, &claim, &seat, &line})
        ann->Send(*message);
    EXPECT_TRUE(PumpUntil(*ann, [&] { return ann->Told("No seat is free: all 2 are taken."); }));
    EXPECT_TRUE(WorkUntil([] { return ConsoleHas("Ann (watching): nice shot"); }));

    EXPECT_TRUE(Answered("/server status", "2 watchers of 2 places"));
    EXPECT_TRUE(ConsoleHolds("\"Ann\" (player")) << "each watcher listed";
    EXPECT_TRUE(ConsoleHolds(", watching"));
    EXPECT_EQ(world->ShipCount(), 2u) << "no ship for a watcher, whatever it claims";
    EXPECT_TRUE(Answered("/server kick ann", "Ann is dropped.")) << "a watcher is found by name";
    EXPECT_TRUE(PumpUntil(*ann, [&] { return !ann->Connected(); }));
    // With a place to watch free, a pilot is still refused at its connect.
    EXPECT_FALSE(RawPeer().Connect(port));

    // A watcher named like a pilot is told apart, as two pilots are, and
    // a kick by the name reaches the pilot alone.
    auto twin = Arrive("Dee", true);
    Type("/server status");
    EXPECT_TRUE(WorkUntil([] { return ConsoleHolds("\"Dee (2)\" (player"); }));
    EXPECT_TRUE(PumpUntil(*twin, [&] { return twin->Told("You watch as Dee (2)."); }));
    EXPECT_TRUE(Answered("/server kick Dee", "Dee is dropped."));
    EXPECT_TRUE(PumpUntil(*dee, [&] { return !dee->Connected(); }));
    twin->Pump(200);
    EXPECT_TRUE(twin->Connected());

    bob->Leave();
    EXPECT_TRUE(RawPeer().Connect(port, 3000, true)) << "a watcher comes into the place Bob left";
}

TEST_F(WatcherSession, SpectateGivesTheShipUpToARobotAndJoinTakesASeatBack)
{
    StartServer(Options(3, 3, 8));
    // As the game's own world has it: the ship this side flies.
    local->SetLocal(true);
    ASSERT_TRUE(Join());
    EXPECT_TRUE(Answered("/spectate", "You watch the game now: /join takes a seat again."));
    EXPECT_TRUE(client->IsWatching());
    EXPECT_TRUE(WorkUntil([&] { return world->ShipCount() == 3u; })) << "three robots, none of them local";
    for (const Ship* ship : world->Ships())
        EXPECT_FALSE(ship->IsLocal());
    EXPECT_EQ(client->WatcherCount(), 1);
    EXPECT_TRUE(Answered("/spectate", "You are watching already: /join takes a seat."));

    Type("/join");
    ASSERT_TRUE(WorkUntil([&] { return !client->IsWatching() && world->FirstShip()->IsLocal(); }));
    Ship* own = world->FirstShip();
    EXPECT_TRUE(WorkUntil([&] { return own->GetId() != 0 && own->IsAlive(); })) << "a ship again";
    EXPECT_TRUE(WorkUntil([&] { return client->WatcherCount() == 0; }));
    EXPECT_TRUE(Answered("/join", "You fly a ship already."));
}

TEST_F(WatcherSession, ConnectsThatComeToWatchHoldNoSeatOfAPilot)
{
    StartServer(Options(1, 0, 1));
    // Connects to watch that never say so still take the one place...
    RawPeer lurker;
    ASSERT_TRUE(lurker.Connect(port, 3000, true));
    EXPECT_FALSE(RawPeer().Connect(port, 3000, true)) << "a second past the one place";
    // ...and no more: the seat stays a pilot's.
    ASSERT_TRUE(Join());
    EXPECT_FALSE(RawPeer().Connect(port)) << "a pilot past the one seat";
}

TEST_F(WatcherSession, SpectateWithRobotsInEveryOtherSlotWatchesInARobotsPlace)
{
    // One pilot and 63 robots hold every slot the game has: the newest
    // robot makes room.
    StartServer(Options(Player::kMaxSlots, Player::kMaxSlots - 1, 8));
    local->SetLocal(true);
    ASSERT_TRUE(Join());
    EXPECT_TRUE(Answered("/spectate", "You watch the game now: /join takes a seat again."));
    EXPECT_TRUE(WorkUntil([&] { return client->IsWatching(); }));
    EXPECT_TRUE(client->IsConnected());
}

TEST_F(WatcherSession, RobotsAndPilotsComingLaterAreNotNamedAsAWatcherIs)
{
    StartServer(Options(3, 0, 2));
    ASSERT_TRUE(Join());
    auto ace = Arrive("Robot Ace", true);
    auto dee = Arrive("Dee", true);
    ASSERT_TRUE(PumpUntil(*dee, [&] { return std::ranges::count(dee->kinds, kMsgMap) > 0; }));
    EXPECT_TRUE(Answered("/server bots 1", "Robot Blaze joined the game")) << "the first call sign is a watcher's";
    auto pilot = Arrive("Dee", false);
    EXPECT_TRUE(WorkUntil([] { return ConsoleHas("Dee (2) joined the game"); }));
}

// Played back, a demo without a ship of its own follows the leader and
// shows nobody's win or loss as the recorder's.
TEST_F(WatcherSession, AWatchersOwnDemoNamesNoShipOfItsOwnAndHoldsNoKeys)
{
    TempDir home;
    ::setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    StartServer(Options(2, 2, 2));
    local->SetLocal(true);
    client->WatchOnConnect(true);
    ASSERT_TRUE(JoinHost(name, port));
    ASSERT_TRUE(WorkUntil([&] { return client->IsWatching() && world->ShipCount() == 2u; }));
    {
        GameRecording recording(*client);
        NetMessage control;
        const std::int32_t held[] = {kKeyThrust, kKeyFire};
        control.SetControl(0, held, 2);
        WorkUntil([&] {
            recording.Update(*world, control, platform::TickCount());
            return false;
        }, 300);
    }
    ::unsetenv("XDG_DATA_HOME");
    std::vector<std::string> demos;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.Path()))
        demos.push_back(entry.path().string());
    std::erase_if(demos, [](const std::string& path) { return !path.ends_with(".qrdemo"); });
    ASSERT_EQ(demos.size(), 1u);
    DemoReader demo;
    std::string error;
    ASSERT_TRUE(demo.ReadFile(demos.front(), error)) << error;
    EXPECT_EQ(demo.Header().shipId, DemoHeader::kNoShip) << "the first ship is a robot's";
    EXPECT_EQ(demo.Header().playerName, g_settings.PlayerName);
    EXPECT_TRUE(std::ranges::none_of(demo.Records(), [](const DemoRecord& record) {
        return record.kind == DemoRecord::kControls && record.size > 0;
    })) << "a watcher's keys fly nothing";
}

} // namespace
