#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <string>
#include <thread>

#include "net/ApplicationGuid.h"
#include "net/MapTransfer.h"
#include "net/PackedBatch.h"
#include "platform/Clock.h"
#include "support/ClientWorld.h"
#include "support/HostThread.h"
#include "support/MapFile.h"
#include "support/SearchSocket.h"
#include "support/TempDir.h"
#include "support/WireBytes.h"
#include "world/Map.h"
#include "world/Powerup.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"

namespace {

// The player's network client against a real host over loopback. Each
// test has a port of its own, so tests may run side by side.
class NetClientSession : public ClientWorldTest {
protected:
    std::uint16_t Port() const { return TestPort(41000); }
};

// The counts listed are GameServerTest's, with the robots a server counts.
// "Ar" comes first and matches the start of "Arena".
TEST_F(NetClientSession, SearchesListAHostOnceSelectTheFirstNameThatStartsTheRequestAndATypedPortWins)
{
    const auto secondPort = static_cast<std::uint16_t>(Port() + 1);
    HostThread first("Ar", 4, Port());
    HostThread second("Arena", 4, secondPort);
    ASSERT_TRUE(first.Hosting());
    client->SetPort(Port());
    ASSERT_TRUE(client->EnumHosts());
    ASSERT_TRUE(client->EnumHosts());
    ASSERT_EQ(client->HostCount(), 1u) << "two answers from one host, one entry";
    ASSERT_TRUE(JoinHost("Arena", secondPort));
    ASSERT_EQ(client->HostCount(), 2u);
    ASSERT_TRUE(first.WaitForReceived(1, 6000));
    EXPECT_TRUE(second.Received().empty());

    NetClient::Destroy();
    client = NetClient::Instance();
    client->SetPort(secondPort);
    ASSERT_TRUE(client->EnumHostsAt((" localhost:" + std::to_string(Port()) + " ").c_str()));
    EXPECT_EQ(FirstListed().name, "Ar") << "the typed port wins over the game's";
}

TEST_F(NetClientSession, ASearchNobodyAnswersAndAFullHostEachEndWithTheirLines)
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
    EXPECT_EQ(ConsoleLines().back(), "Unable to search for servers: cannot find the host \"no-such-host.invalid\".");
    EXPECT_EQ(client->SearchProblem(), ConsoleLines().back()) << "for the browser to show";
    const std::string silent = "127.0.0.1:" + std::to_string(Port() + 9);
    EXPECT_TRUE(client->EnumHostsAt(silent.c_str()));
    EXPECT_EQ(client->SearchProblem(), "");
    EXPECT_EQ(ConsoleLines().back(), "No server answered at \"" + silent + "\".");

    HostThread full("Full", 0, Port());
    EXPECT_FALSE(JoinHost("Full", Port()));
    EXPECT_TRUE(ConsoleHas("The server was full and rejected your request to join."));
    EXPECT_EQ(ConsoleLines().back(), "Press escape to return to the main menu.");
}

TEST_F(NetClientSession, AJoinedPlayerSendsItsJoinAndEchoesPings)
{
    HostThread host("Joinable", 4, Port());
    ASSERT_TRUE(JoinHost("Joinable and more", Port()));
    EXPECT_EQ(ConsoleLines().back(), "Registering with server...");
    ASSERT_TRUE(host.WaitForReceived(1, 6000)) << "the host has the player it hears";
    NetMessage join, pong;
    ASSERT_TRUE(join.Parse(host.Received()[0].data(), host.Received()[0].size()));
    int id = -1, type = -1;
    char name[128] = {};
    join.GetJoin(id, type, name, sizeof name);
    EXPECT_EQ(std::tuple(id, type, std::string(name)), std::tuple(PackedBatch::kReadsAll, 3, std::string("Pilot")))
        << "it says which packed forms it reads";

    client->Send(NetMessage());
    NetMessage text;
    text.SetText("after nothing");
    client->Send(text);
    ASSERT_TRUE(host.WaitForReceived(2, 6000));
    EXPECT_EQ(host.Received()[1][0], kMsgText) << "a message of kind 0 sent nothing";

    NetMessage reply, ping;
    reply.SetJoin(55, 0, "Pilot");
    ping.SetPing(123456);
    host.SendToFirst({&reply, &ping}, platform::Delivery::Reliable);
    ASSERT_TRUE(WorkUntil([&] { return local->GetId() == 55; }));
    ASSERT_TRUE(host.WaitForReceived(3, 6000));
    ASSERT_TRUE(pong.Parse(host.Received()[2].data(), host.Received()[2].size()));
    ASSERT_EQ(pong.Kind(), kMsgPong);
    std::uint32_t tick = 0;
    pong.GetTick(tick);
    EXPECT_EQ(tick, 123456u) << "the ping's own tick";
}

// The own ship flies ahead by the round trip: until a pong tells it, the
// player asks five times a second, and stops once told.
TEST_F(NetClientSession, APlayerFlyingAheadPingsOftenUntilItsFirstPong)
{
    auto host = std::make_unique<HostThread>("Pinged", 4, Port());
    ASSERT_TRUE(JoinHost("Pinged", Port()));
    const auto pings = [&] {
        const auto received = host->Received();
        return std::count_if(received.begin(), received.end(), [](const auto& m) { return m[0] == kMsgPing; });
    };
    WorkUntil([] { return false; }, 1000);
    EXPECT_GE(pings(), 4);
    NetMessage pong;
    pong.SetPong(platform::TickCount() - 40);
    host->SendToFirst({&pong}, platform::Delivery::Any);
    ASSERT_TRUE(WorkUntil([&] { return client->GetPing() > 0; }));
    const auto told = pings();
    WorkUntil([] { return false; }, 600);
    EXPECT_EQ(pings(), told) << "no more once the round trip is known";
    EXPECT_NEAR(client->SteadyRoundTrip(), 40, 6);
}

TEST_F(NetClientSession, OnlyAnswersToTheRunningSearchAreListed)
{
    SearchSocket impostor(Port());
    client->SetPort(Port());
    client->EnumHosts();
    const auto heard = impostor.Hear();
    ASSERT_FALSE(heard.empty());
    SearchSocket::Heard another = heard[0];
    ++another.search.nonce;
    impostor.Answer(another, ApplicationGuid(), "Wrong Nonce", 1);
    impostor.Answer(heard[0], ApplicationGuid(), "", 2);
    WorkUntil([&] { return client->HostCount() > 0; });
    client->DoWork(50);
    ASSERT_EQ(client->HostCount(), 1u) << "an answer to another search is no answer";
    EXPECT_EQ(FirstListed().name, "127.0.0.1:" + std::to_string(Port())) << "a host without a name shows its address";
    client->SelectHost("Friday Night");
    EXPECT_EQ(ConsoleLines().back(), "Server \"Friday Night\" not found...") << "no name matches every prefix";

    std::this_thread::sleep_for(std::chrono::milliseconds(platform::SessionClient::kAnswerWindow));
    impostor.Answer(heard[0], ApplicationGuid(), "Too Late", 3);
    WorkUntil([&] { return client->HostCount() > 1; }, 3000);
    EXPECT_EQ(client->HostCount(), 1u) << "the search is over";
}

TEST_F(NetClientSession, TheListHoldsABoundedNumberOfHosts)
{
    SearchSocket flood(Port());
    client->SetPort(Port());
    client->EnumHosts();
    const auto heard = flood.Hear();
    ASSERT_FALSE(heard.empty());
    for (int i = 0; i < 200; ++i)
        flood.Answer(heard[0], ApplicationGuid(), "Flood " + std::to_string(i), i);
    WorkUntil([&] { return client->HostCount() > NetClient::kMostHosts; }, 3000);
    EXPECT_EQ(client->HostCount(), NetClient::kMostHosts);
}

TEST_F(NetClientSession, TheHostAnswersPaddedSearchesWithItsNameCutAndAtALimitedRate)
{
    HostThread host(std::string(300, 'N'), 4, Port());
    ASSERT_TRUE(host.Hosting());
    SearchSocket searcher;
    const auto search = platform::discovery::EncodeSearch({ApplicationGuid(), 77});
    const std::vector<std::uint8_t> bare(search.begin(), search.begin() + 25);
    searcher.SendTo(bare, SearchSocket::Loopback(Port()));
    EXPECT_TRUE(searcher.Receive().empty()) << "a search without its padding asks for more than it carries";
    searcher.SendTo(search, SearchSocket::Loopback(Port()));
    const auto reply = searcher.Receive();
    const auto answer = platform::discovery::DecodeAnswer(reply.data(), reply.size());
    ASSERT_TRUE(answer) << "a name too long for an answer";
    EXPECT_EQ(answer->name, std::string(platform::discovery::kMaxName, 'N'));

    for (int i = 0; i < 100; ++i)
        searcher.SendTo(search, SearchSocket::Loopback(Port()));
    int answers = 0;
    while (!searcher.Receive().empty())
        ++answers;
    EXPECT_GT(answers, 0);
    EXPECT_LE(answers, 20) << "a burst from one address, then a few a second";
}

TEST_F(NetClientSession, AHostThatFallsSilentEndsTheSessionAfterTheLimit)
{
    HostThread host("Quiet", 4, Port());
    ASSERT_TRUE(JoinHost("Quiet", Port()));
    // A live host that sends nothing keeps the link: it answers the link's pings.
    ASSERT_FALSE(WorkUntil([&] { return client->IsTerminated(); }, 2500));

    // Host and game paused together, longer than the limit: the game was
    // not listening, so it cannot call the host silent.
    constexpr auto kLimit = std::chrono::milliseconds(platform::SessionClient::kSilenceLimit);
    std::thread pause = host.Stall(kLimit + std::chrono::milliseconds(400));
    std::this_thread::sleep_for(kLimit + std::chrono::milliseconds(400));
    client->DoWork(10);
    pause.join();
    EXPECT_FALSE(WorkUntil([&] { return client->IsTerminated(); }, 2000)) << "a paused game blamed its host";

    // Two seconds of silence are a bad link, not a lost host.
    std::thread outage = host.Stall(std::chrono::milliseconds(2000));
    EXPECT_FALSE(WorkUntil([&] { return client->IsTerminated(); }, 2500)) << "a short outage ended the game";
    outage.join();
    std::thread hang = host.Stall(kLimit + std::chrono::milliseconds(1500));
    EXPECT_TRUE(WorkUntil([&] { return client->IsTerminated(); }, platform::SessionClient::kSilenceLimit + 800))
        << "not seen within the limit";
    hang.join();
}

// The network client applying batches to a world with a local ship, as in
// a game; no network is opened. Every check holds with the own ship's
// prediction on and off.
class MessageHandling : public ClientWorldTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ClientWorldTest::SetUp();
        client->Prediction().SetEnabled(GetParam());
    }

    void GiveMap(const MapRows& rows = Rows(8, 8)) { world->SetMap(MapOf(rows)); }
    // A map this side does not have: a new round on no map.
    const NetMessage& Nowhere()
    {
        nowhere.SetMapName("Nowhere");
        return nowhere;
    }
    NetMessage nowhere;

    // The server takes the local ship in as ship 31, there at rest.
    void JoinAt(int x, int y, float heading)
    {
        NetMessage join, spawn, state;
        join.SetJoin(31, 3, "Pilot");
        spawn.SetPlayerSpawn(31, x, y, 3, "Pilot");
        state.SetShipState(31, 0, 100.0f, 100.0f, 0, {}, Vector3(x, y, 0), Vector3(), heading);
        Hand({&join, &spawn, &state});
    }

    static constexpr std::int32_t kFire[] = {kKeyFire};
    const HeldKeys fire = HeldKeys::FromCodes(kFire, 1);
};

TEST_P(MessageHandling, TextIsPrintedAsItIsAndAMapStartsARoundOrSaysWhyNot)
{
    NetMessage text, over, map;
    text.SetText("50% of players say hi");
    Hand({&text});
    EXPECT_EQ(std::tuple(ConsoleLines().back(), client->IsRoundOver()), std::tuple("50% of players say hi", false));
    over.SetRoundOver();
    Hand({&over});
    EXPECT_TRUE(client->IsRoundOver());

    TempDir dir;
    const auto bytes = MapFileBytes("Den", {{1, 0}, {0, 6}});
    dir.WriteFile("Maps/Den.smp", std::string(bytes.begin(), bytes.end()));
    ScopedWorkingDir cwd(dir.Path());
    map.SetMapName("Den");
    local->ForceRespawn(0, 0);
    local->SetScore(4);
    Hand({&map});
    EXPECT_FALSE(client->IsRoundOver()) << "a map starts a round";
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_EQ(std::tuple(local->GetScore(), local->IsAlive()), std::tuple(0, false));

    map.SetMapName("Nowhere");
    Hand({&map, &map, &map});
    EXPECT_EQ(std::ranges::count(ConsoleLines(), "Unable to load map \"Nowhere\", maybe you don't have that one?"), 1)
        << "one map a payload: more would only spend the player's time";
    EXPECT_EQ(world->GetMap(), nullptr);
}

TEST_P(MessageHandling, SpawnsAndTurretsAreMadeOnceAndTilesNeedAMap)
{
    NetMessage spawn, turret, tile;
    spawn.SetPlayerSpawn(8, 100, 200, 3, "Other");
    Hand({&spawn});
    Ship* other = world->FindShip(8);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(std::tuple(other->IsAlive(), other->GetShipType(), std::string(other->Name()), other->Position().y),
              std::tuple(true, 3, std::string("Other"), 200.0));
    other->Kill();
    spawn.SetPlayerSpawn(8, 50, 60, 1, "Renamed");
    Hand({&spawn});
    EXPECT_EQ(std::tuple(world->ShipCount(), other->IsAlive(), std::string(other->Name())),
              std::tuple(2u, true, "Other")) << "a known id respawns with its name, it is not added again";

    turret.SetTurretState(5, kTurretLeft, false, Vector3(48, 80, 0));
    Hand({&turret});
    Turret* made = world->FindTurret(5);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(std::tuple(made->GetDirection(), made->IsAlive()), std::tuple(int(kTurretLeft), false));
    turret.SetTurretState(5, kTurretUp, true, Vector3(0, 0, 0));
    Hand({&turret});
    EXPECT_EQ(std::tuple(made->IsAlive(), made->Position().y), std::tuple(true, 80.0)) << "a turret stays where it stood";

    tile.SetTileChange(-1, 2, 9);
    Hand({&tile}); // no map yet: ignored
    GiveMap();
    Hand({&tile});
    EXPECT_EQ(std::tuple(world->GetMap()->CellExtraAt(7, 2), world->GetMap()->CellKindAt(7, 2)), std::tuple(9, 0))
        << "column -1 is the last";
    other->SetTarget(Vector3(70, 80, 0));
    world->Update(1);
    EXPECT_EQ(other->Position().x, 70.0) << "the spawn asked for a snap";
}

TEST_P(MessageHandling, ShipStateTakesOnlyValuesInRangeAndAKillLeavesAWreck)
{
    NetMessage spawn, state, killed, unknown;
    spawn.SetPlayerSpawn(4, 10, 10, 0, "Four");
    Hand({&spawn});
    Ship* ship = world->FindShip(4);
    ship->SetScore(9);
    state.SetShipState(4, 0x10, 150.0f, 100.0f, 127, {2, 1, 1, 3}, Vector3(40, 50, 0), Vector3(1, 2, 0), -90.0f);
    Hand({&state});
    EXPECT_EQ(ship->GetScore(), 9) << "127 is out of range";
    EXPECT_EQ(ship->GetFuel(), 100.0f) << "150 is more than the tank";
    EXPECT_EQ(ship->Position().x, 10.0) << "the position follows in Update";
    EXPECT_EQ(std::tuple(ship->Target().y, ship->Velocity().y, ship->GetHeading(), ship->GetFlags(),
                         ship->Rounds(Ammunition::Missiles), ship->Rounds(Ammunition::Mines),
                         ship->Rounds(Ammunition::PlasmaMines), ship->Rounds(Ammunition::Repulsors)),
              std::tuple(50.0, 2.0, 270.0f, 0x10, 2, 1, 1, 3));

    state.SetShipState(4, 0, 150.0f, 200.0f, 5, {}, Vector3(), Vector3(), 0);
    Hand({&state});
    EXPECT_EQ(std::tuple(ship->GetMaxFuel(), ship->GetFuel(), ship->GetScore()), std::tuple(200.0f, 150.0f, 5))
        << "the fuel taken against the new tank";

    unknown.SetShipState(99, 0, 0, 0, 0, {}, Vector3(), Vector3(), 0);
    killed.SetShipKilled(4);
    Hand({&unknown, &killed});
    EXPECT_EQ(world->FindShip(99), nullptr) << "no ship is made from a state";
    EXPECT_EQ(std::tuple(ship->IsAlive(), world->FindShip(4)), std::tuple(false, ship)) << "a wreck stays";
    EXPECT_EQ(std::tuple(ship->Position().x, ship->Position().y), std::tuple(0.0, 0.0))
        << "where the server last had it, not where it was drawn a delay behind";
}

// A watcher has no ship of its own: the first ship of its world, the one
// it follows, turns as its reports say, never as a prediction would.
TEST_P(MessageHandling, AWatchersFirstShipTurnsAsItsReportsSay)
{
    NetMessage watching, spawn, state;
    watching.SetWatching(0, "Eve");
    spawn.SetPlayerSpawn(40, 300, 300, 1, "Robot");
    Hand({&watching, &spawn});
    ASSERT_TRUE(client->IsWatching());
    for (const float heading : {30.0f, 60.0f, 95.0f}) {
        state.SetShipState(40, 0, 100.0f, 100.0f, 0, {}, Vector3(300, 300, 0), Vector3(), heading);
        Hand({&state});
        EXPECT_NEAR(world->FindShip(40)->GetHeading(), heading, 0.01f);
    }
}

// Sides come and go by the server's word alone: a ship it never spawned or
// a number no game has changes nothing, and a new map keeps the sides,
// which the server sends only to those who change one.
TEST_P(MessageHandling, TeamsAndTheirScoresAreTakenAsSentAndNonsenseIgnored)
{
    NetMessage spawn, red, blue, stranger, bad, scores, none;
    JoinAt(100, 100, 0.0f);
    spawn.SetPlayerSpawn(8, 10, 10, 0, "Other");
    red.SetTeam(31, 1);
    blue.SetTeam(8, 2);
    stranger.SetTeam(99, 1);
    scores.SetTeamScores(7, -2);
    Hand({&spawn, &red, &blue, &stranger, &scores});
    Ship* other = world->FindShip(8);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(std::tuple(local->GetTeam(), other->GetTeam(), world->FindShip(99), world->ShipCount()),
              std::tuple(Team::Red, Team::Blue, nullptr, 2u))
        << "a side for a ship never spawned makes none";
    EXPECT_EQ(std::tuple(client->TeamScore(Team::Red), client->TeamScore(Team::Blue), client->TeamScore(Team::None)),
              std::tuple(7, -2, 0));

    for (const std::uint8_t number : {3, 200, 255}) {
        bad.SetTeam(8, number);
        Hand({&bad});
        EXPECT_EQ(other->GetTeam(), Team::Blue) << "team number " << int(number);
    }

    Hand({&Nowhere()});
    EXPECT_EQ(std::tuple(local->GetTeam(), other->GetTeam(), client->TeamScore(Team::Red)),
              std::tuple(Team::Red, Team::Blue, 0))
        << "a round starts its scores afresh, not its sides";
    none.SetTeam(8, 0);
    red.SetTeam(31, 0);
    Hand({&none, &red});
    EXPECT_EQ(std::tuple(local->GetTeam(), other->GetTeam()), std::tuple(Team::None, Team::None));
}

// A flag is taken as sent; one of a team no game has, in a place no flag
// is, or carried by a ship never spawned changes nothing, and a new map
// forgets them all.
TEST_P(MessageHandling, FlagsAreTakenAsSentAndNonsenseIgnored)
{
    JoinAt(100, 100, 0.0f);
    EXPECT_EQ(client->FlagOf(Team::Red), nullptr) << "no flags before the server tells of one";
    NetMessage home, taken, news;
    home.SetFlag(Flag{Team::Blue, FlagPlace::Home, 0, {}, Vector3(640, 320, 0)});
    taken.SetFlag(Flag{Team::Blue, FlagPlace::Carried, 31, {}, Vector3(650, 330, 0)});
    news.SetFlagEvent(1, 2, 31);
    Hand({&home, &taken, &news});
    const Flag* blue = client->FlagOf(Team::Blue);
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(std::tuple(blue->place, blue->carrier, blue->home.x, blue->at.x),
              std::tuple(FlagPlace::Carried, 31, 640.0, 650.0));
    EXPECT_EQ(client->FlagOf(Team::Red), nullptr);

    NetMessage stranger, noTeam, noPlace;
    stranger.SetFlag(Flag{Team::Blue, FlagPlace::Carried, 99, {}, Vector3(0, 0, 0)});
    noTeam.SetFlag(Flag{Team::None, FlagPlace::Home, 0, {}, Vector3(0, 0, 0)});
    std::vector<std::uint8_t> bytes = WireOf(home);
    bytes[2] = 7; // a place no flag is in
    ASSERT_TRUE(noPlace.Parse(bytes.data(), bytes.size()));
    Hand({&stranger, &noTeam, &noPlace});
    EXPECT_EQ(std::tuple(blue->place, blue->carrier), std::tuple(FlagPlace::Carried, 31));
    EXPECT_EQ(client->FlagOf(Team::None), nullptr);
    for (const std::uint8_t number : {3, 200, 255}) {
        NetMessage odd, oddNews;
        odd.SetFlag(Flag{static_cast<Team>(number), FlagPlace::Home, 0, {}, Vector3(5, 5, 0)});
        oddNews.SetFlagEvent(3, number, 0);
        Hand({&odd, &oddNews});
        EXPECT_EQ(std::tuple(blue->place, blue->home.x, client->FlagNewsHeard()),
                  std::tuple(FlagPlace::Carried, 640.0, 1u))
            << "team number " << int(number);
    }

    Hand({&Nowhere()});
    EXPECT_EQ(client->FlagOf(Team::Blue), nullptr) << "a new round places its flags afresh";
}

// A flag's news is kept with where it happened, for its sound; the console
// shows only the notice the server sends beside it, once. News of a flag
// never placed, of no team or of an event no flag has is dropped.
TEST_P(MessageHandling, FlagNewsIsPlacedWhereItHappenedAndNonsenseIgnored)
{
    JoinAt(100, 100, 0.0f);
    NetMessage spawn, redHome, blueHome, taken, took, notice;
    spawn.SetPlayerSpawn(8, 600, 300, 0, "Other");
    Flag red{Team::Red, FlagPlace::Home, 0, {}, Vector3(200, 200, 0)};
    Flag blue{Team::Blue, FlagPlace::Carried, 8, {}, Vector3(650, 330, 0)};
    taken.SetFlag(blue);
    took.SetFlagEvent(1, 2, 8);
    notice.SetText("Red took the Blue flag");
    Hand({&spawn, &taken, &took, &notice});
    EXPECT_EQ(client->BaseOf(Team::Blue), nullptr) << "a flag first heard away says nothing of its base";
    ASSERT_EQ(client->FlagNewsHeard(), 1u);
    const NetClient::FlagNews first = client->FlagNewsAt(0);
    EXPECT_EQ(std::tuple(first.event, first.team, first.at.x, first.at.y),
              std::tuple(FlagEvent::Taken, Team::Blue, 600.0, 300.0))
        << "at the pilot's ship";
    EXPECT_EQ(std::ranges::count(ConsoleLines(), "Red took the Blue flag"), 1);

    NetMessage dropped, drop, home, capture;
    blue = {Team::Blue, FlagPlace::Dropped, 0, {}, Vector3(300, 310, 0)};
    dropped.SetFlag(blue);
    drop.SetFlagEvent(2, 2, 8);
    redHome.SetFlag(red);
    blue = {Team::Blue, FlagPlace::Home, 0, {}, Vector3(640, 320, 0)};
    blueHome.SetFlag(blue);
    capture.SetFlagEvent(4, 2, 0);
    Hand({&dropped, &drop, &redHome, &blueHome, &capture});
    ASSERT_EQ(client->FlagNewsHeard(), 3u);
    EXPECT_EQ(std::tuple(client->FlagNewsAt(1).event, client->FlagNewsAt(1).at.x), std::tuple(FlagEvent::Dropped, 300.0))
        << "where the flag lies";
    EXPECT_EQ(std::tuple(client->FlagNewsAt(2).event, client->FlagNewsAt(2).at.x), std::tuple(FlagEvent::Captured, 200.0))
        << "a capture with no pilot known is at the capturers' base";
    ASSERT_NE(client->BaseOf(Team::Blue), nullptr);
    EXPECT_EQ(client->BaseOf(Team::Blue)->x, 640.0);

    NetMessage bad;
    for (const auto& [event, team] : {std::pair{0, 2}, {5, 2}, {255, 1}, {1, 0}, {1, 3}}) {
        bad.SetFlagEvent(static_cast<std::uint8_t>(event), static_cast<std::uint8_t>(team), 8);
        Hand({&bad});
        EXPECT_EQ(client->FlagNewsHeard(), 3u) << "event " << event << " team " << team;
    }
    bad.SetFlagEvent(3, 1, 31);
    Hand({&Nowhere(), &bad});
    EXPECT_EQ(std::tuple(client->FlagNewsHeard(), client->BaseOf(Team::Red)), std::tuple(3u, nullptr))
        << "a new round's flags are not placed yet";
}

// A kind this side does not know, as a newer server may send, is skipped
// whole and the records after it still count.
TEST_P(MessageHandling, AnUnknownKindIsSkippedAndTheRestOfItsPayloadApplied)
{
    std::vector<std::uint8_t> bytes = {99, 2, 0xFF, 0xFF};
    NetMessage text;
    text.SetText("still here");
    const auto after = PackedBatch::Pack({&text});
    bytes.insert(bytes.end(), after.begin(), after.end());
    HandPayload(bytes);
    EXPECT_EQ(ConsoleLines().back(), "still here");
}

TEST_P(MessageHandling, EntityStatesCreateByKindThenSteer)
{
    NetMessage state;
    state.SetEntityState(70, kTypePowerup, Vector3(30, 40, 0), Vector3(5, 0, 0), 45.0f, 3);
    Hand({&state});
    auto* powerup = dynamic_cast<Powerup*>(world->FindEntity(70));
    ASSERT_NE(powerup, nullptr);
    EXPECT_EQ(std::tuple(powerup->GetKind(), powerup->IsAlive(), powerup->Position().y, powerup->Velocity().x,
                         powerup->GetHeading()),
              std::tuple(3, true, 40.0, 5.0, 45.0f));

    state.SetEntityState(70, kTypePowerup, Vector3(90, 90, 0), Vector3(0, 5, 0), 0.0f, 3);
    Hand({&state});
    EXPECT_EQ(std::tuple(powerup->Position().x, powerup->Target().x), std::tuple(30.0, 90.0))
        << "a known entity only gets a new target";
    powerup->Kill();
    Hand({&state});
    EXPECT_EQ(std::tuple(powerup->IsAlive(), powerup->Position().x), std::tuple(true, 90.0))
        << "a killed, unswept entity comes back";

    state.SetEntityState(71, kTypeShrapnel, Vector3(), Vector3(), 0, 1);
    Hand({&state});
    EXPECT_EQ(dynamic_cast<Shrapnel*>(world->FindEntity(71))->GetVariant(), 1);
    for (int kind : {0, 1, 7, 9, 100}) {
        state.SetEntityState(200 + kind, kind, Vector3(), Vector3(), 0, 0);
        Hand({&state});
        EXPECT_EQ(world->FindEntity(200 + kind), nullptr) << "kind " << kind;
    }
}

TEST_P(MessageHandling, AMegabyteOfNewObjectsStopsAtTheCapsWithOneLineEach)
{
    std::deque<NetMessage> messages;
    for (int id = 1; id <= 30000; ++id) {
        messages.emplace_back().SetPlayerSpawn(id, 0, 0, 0, "x");
        messages.emplace_back().SetEntityState(id, kTypeBullet, Vector3(), Vector3(), 0, 0);
        if (id <= 5000)
            messages.emplace_back().SetTurretState(id, kTurretUp, true, Vector3());
    }
    std::vector<const NetMessage*> batch;
    for (const NetMessage& message : messages)
        batch.push_back(&message);
    ASSERT_GT(Hand(batch), 1u << 20);
    EXPECT_EQ(std::tuple(world->ShipCount(), world->EntityCount(), world->TurretCount()),
              std::tuple(NetClient::kMostShips, NetClient::kMostEntities, NetClient::kMostTurrets));
    EXPECT_EQ(std::ranges::count_if(ConsoleLines(), [](const std::string& line) {
                  return line.find("the rest are ignored") != std::string::npos;
              }),
              3);
    EXPECT_NE(world->FindShip(2), nullptr) << "what was taken is found by id";
    EXPECT_EQ(world->FindShip(NetClient::kMostShips + 5), nullptr);
}

TEST_P(MessageHandling, PongGivesHalfTheRoundTripAndALatePongIsOutvoted)
{
    EXPECT_EQ(client->GetPing(), 0);
    NetMessage pong;
    pong.SetPong(platform::TickCount() - 100);
    Hand({&pong});
    EXPECT_NEAR(client->GetPing(), 52.5, 2.5);
    for (const std::uint32_t ago : {100u, 100u, 100u, 1900u}) {
        pong.SetPong(platform::TickCount() - ago);
        Hand({&pong});
    }
    EXPECT_NEAR(client->SteadyRoundTrip(), 100, 5) << "one late pong leaves the middle of the last five";
}

// With the prediction on, the own ship's shot shows at once and the
// server's report of it takes its place; the wreck takes its own back.
TEST_P(MessageHandling, AnOwnShotShownAtOnceBecomesTheServersAndAWreckTakesItsOwnBack)
{
    NetMessage bullet, killed;
    JoinAt(200, 200, 0.0f);
    const OwnShots& shots = client->Prediction().Shots();
    const auto fly = [&](std::uint32_t now) { return client->Prediction().Step(*local, fire, 10, now, nullptr); };
    EXPECT_EQ(fly(platform::TickCount()), GetParam());
    ASSERT_EQ(shots.InFlight().size(), GetParam() ? 1u : 0u);
    const Vector3 shown = GetParam() ? shots.InFlight().front().shot->Position() : Vector3(201, 240, 0);

    NetMessage enemy, own, pong;
    enemy.SetEntityState(79, kTypeBullet, shown + Vector3(0, 5, 0), Vector3(0, 500, 0), 0.0f, 0);
    Hand({&enemy});
    EXPECT_EQ(shots.InFlight().size(), GetParam() ? 1u : 0u) << "another's bullet on the same path is not ours";
    own.SetOwnShot(80);
    bullet.SetEntityState(80, kTypeBullet, shown + Vector3(1, 10, 0), Vector3(0, 500, 0), 0.0f, 0);
    Hand({&own, &bullet});
    EXPECT_TRUE(shots.InFlight().empty()) << "no doubled shot";
    EXPECT_EQ(world->FindEntity(80)->Position().y, GetParam() ? shown.y : shown.y + 10.0)
        << "the report's shot goes on from the shown one";
    // Its later reports are a round trip behind the shot drawn: the world's
    // pull is towards where it is by now, or the shot would slow down.
    pong.SetPong(platform::TickCount() - 100);
    bullet.SetEntityState(80, kTypeBullet, shown + Vector3(1, 20, 0), Vector3(0, 500, 0), 0.0f, 0);
    Hand({&pong, &bullet});
    EXPECT_NEAR(world->FindEntity(80)->Target().y, shown.y + 20.0 + (GetParam() ? 500 * 0.1 : 0.0), 4.0);

    for (std::uint32_t frame = 1; frame <= 20; ++frame)
        fly(platform::TickCount() + 10 * frame);
    ASSERT_EQ(shots.InFlight().size(), GetParam() ? 1u : 0u) << "reloaded";
    killed.SetShipKilled(31);
    Hand({&killed});
    EXPECT_TRUE(shots.InFlight().empty());
}

// A claimed shot meets the wall here first and is spent there, not in the
// open; a report that left before the server's shot met it does not bring
// it back, swept from the world or not, until the server's word is given
// up on or the id is another's. Off, the reports move it as they come.
TEST_P(MessageHandling, AnOwnShotSpentOnAWallHereStaysSpent)
{
    MapRows rows = Rows(8, 8);
    for (auto& row : rows)
        row[0] = kCellWall;
    GiveMap(rows);
    JoinAt(120, 128, 90.0f);
    NetMessage own, bullet, gone;
    const std::uint32_t now = platform::TickCount();
    client->Prediction().Step(*local, fire, 10, now, world->GetMap());
    const OwnShots& shots = client->Prediction().Shots();
    const Vector3 from = GetParam() ? shots.InFlight().front().shot->Position() : Vector3(110, 128, 0);
    const Vector3 velocity = GetParam() ? shots.InFlight().front().shot->Velocity() : Vector3(-500, 0, 0);
    own.SetOwnShot(80);
    bullet.SetEntityState(80, kTypeBullet, from, velocity, 90.0f, 0);
    Hand({&own, &bullet});
    ASSERT_NE(world->FindEntity(80), nullptr);
    client->Prediction().GuardShots(*world, now + 10);
    EXPECT_TRUE(world->FindEntity(80)->IsAlive()) << "in the open";
    world->FindEntity(80)->SetPosition(Vector3(12, 128, 0));
    client->Prediction().GuardShots(*world, now + 100);
    world->Sweep();
    bullet.SetEntityState(80, kTypeBullet, Vector3(60, 128, 0), velocity, 90.0f, 0);
    Hand({&bullet});
    EXPECT_EQ(world->FindEntity(80) == nullptr, GetParam());
    EXPECT_FALSE(shots.IsSpent(80, now + 100 + OwnShots::kGraceMs + 1)) << "the server's word is not waited for ever";
    gone.SetEntityKilled(80);
    Hand({&gone, &bullet});
    EXPECT_NE(world->FindEntity(80), nullptr) << "the id is another's";
}

// A map the game lacks, offered: fuel blocks heard while it downloads are
// on it once it came, and a demo finds it kept or says it has none.
TEST_P(MessageHandling, ADownloadedMapKeepsWhatChangedMeanwhileAndPlaysBackFromTheCache)
{
    TempDir cache;
    client->SetMapFolder(cache.Path());
    const auto bytes = MapFileBytes("Quarry", Rows(8, 8));
    MapTransfer::Offer offer {"Quarry", static_cast<std::uint32_t>(bytes.size()),
                              platform::HashOf(bytes.data(), bytes.size()), 0, platform::HashOf(nullptr, 0)};
    NetMessage offered, map, tile, piece, before, beyond;
    MapTransfer::Write(offer, offered);
    map.SetMapName("Quarry");
    tile.SetTileChange(3, 2, 7);
    // Cells no map of the offered size has, which the grid would fold in.
    before.SetTileChange(-1, 2, 9);
    beyond.SetTileChange(4000, 2, 9);
    Hand({&offered, &map, &tile, &before, &beyond});
    ASSERT_NE(client->Download(), nullptr);
    MapTransfer::Write(MapTransfer::Piece {MapTransfer::Part::MapFile, 0, bytes}, piece);
    Hand({&piece});
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_EQ(world->GetMap()->CellExtraAt(3, 2), 7) << "heard before the map was there";
    EXPECT_EQ(world->GetMap()->CellExtraAt(7, 2) + world->GetMap()->CellExtraAt(0, 2), 0) << "and only those";

    const std::vector<std::uint8_t> radar {'B', 'M', 0};
    const auto second = MapFileBytes("Quarry", Rows(8, 9));
    offer = {"Quarry", static_cast<std::uint32_t>(second.size()), platform::HashOf(second.data(), second.size())};
    MapTransfer::Write(MapTransfer::Piece {MapTransfer::Part::MapFile, 0, second}, piece);
    offer.radarSize = 3;
    offer.radarHash = platform::HashOf(radar.data(), radar.size());
    MapTransfer::Write(offer, offered);
    NetMessage picture;
    MapTransfer::Write(MapTransfer::Piece {MapTransfer::Part::Radar, 0, radar}, picture);
    client->SetPictureCheck([](const std::vector<std::uint8_t>& given) { return given.size() > 3; });
    Hand({&offered, &map});
    Hand({&piece, &picture});
    ASSERT_NE(world->GetMap(), nullptr);
    EXPECT_TRUE(ConsoleHas("The radar picture of map \"Quarry\" does not read: the map is kept without it."));
    EXPECT_EQ(world->GetMap()->RadarPicture(), Map::kNoRadarPicture) << "nor the shipped one of that name";
    offer = MapTransfer::Offer {"Quarry", static_cast<std::uint32_t>(bytes.size()),
                                platform::HashOf(bytes.data(), bytes.size()), 0, platform::HashOf(nullptr, 0)};
    MapTransfer::Write(offer, offered);

    client->PlayBack();
    Hand({&offered, &map});
    EXPECT_NE(world->GetMap(), nullptr) << "the kept download";
    offer.name = "Gone";
    MapTransfer::Write(offer, offered);
    map.SetMapName("Gone");
    Hand({&offered, &map});
    EXPECT_TRUE(ConsoleHas("Unable to load map \"Gone\", maybe you don't have that one?"));
    EXPECT_EQ(world->GetMap(), nullptr);

    // Another map of the offered one's name in the data folder is not it.
    TempDir data;
    const auto shipped = MapFileBytes("Gone", Rows(4, 4));
    data.WriteFile("Maps/Gone.smp", std::string(shipped.begin(), shipped.end()));
    ScopedWorkingDir cwd(data.Path());
    Console::Instance()->Clear();
    Hand({&offered, &map});
    EXPECT_FALSE(ConsoleHas("Loaded map \"Gone\""));
    EXPECT_TRUE(ConsoleHas("Unable to load map \"Gone\", maybe you don't have that one?"));
    EXPECT_EQ(world->GetMap(), nullptr);

    std::size_t tapped = 0;
    client->SetPayloadTap([&](const std::uint8_t*, std::size_t) { ++tapped; });
    NetMessage text;
    text.SetText("hi");
    for (const NetMessage* one : {&piece, &text}) {
        const auto payload = PackedBatch::Pack({one});
        client->OnReceive(payload.data(), payload.size());
    }
    EXPECT_EQ(tapped, 1u) << "a demo keeps no map pieces";
}

INSTANTIATE_TEST_SUITE_P(Prediction, MessageHandling, ::testing::Bool(),
                         [](const auto& on) { return on.param ? "On" : "Off"; });

} // namespace
