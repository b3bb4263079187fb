#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "net/MessageBatch.h"
#include "server/game/EventLog.h"
#include "server/game/FlagNews.h"
#include "server/game/Game.h"
#include "world/Ship.h"

namespace {

struct Sent {
    int slot;
    std::vector<std::uint8_t> bytes;
};

// A game without a network on the game's own clock, as the server runs
// it, and what it sends each player.
class GameTest : public ::testing::Test {
protected:
    static GameOptions Options(int seats, int robots)
    {
        GameOptions options;
        options.maps = {"Arena", "Warren"};
        options.maxPlayers = seats;
        options.bots = robots;
        options.botSkill = 3;
        options.seed = 5;
        return options;
    }

    void Begin(const GameOptions& options)
    {
        game = std::make_unique<Game>(options, QR_DATA_DIR, quiet);
        std::string error;
        ASSERT_TRUE(game->Start(error)) << error;
        game->FillSeats();
    }

    // A tick long enough that a report, and all that waits for it, is due.
    void Tick(int ms = 33)
    {
        game->Tick(ms, [this](int slot, const std::vector<std::uint8_t>& payload, bool) {
            sent.push_back({slot, payload});
        });
    }

    static constexpr int kAnyKind = -1;

    // Each message of a kind, or of any, told a slot, in order.
    template <typename Visit>
    void EachTo(int slot, int kind, Visit visit) const
    {
        for (const Sent& s : sent) {
            MessageBatch batch;
            batch.ParsePacked(s.bytes.data(), s.bytes.size());
            for (NetMessage* message = batch.Begin(); message && s.slot == slot; message = batch.Next()) {
                if (kind == kAnyKind || message->Kind() == kind)
                    visit(*message);
            }
        }
    }

    std::vector<std::string> TextsTo(int slot) const
    {
        std::vector<std::string> texts;
        EachTo(slot, kMsgText, [&](NetMessage& message) {
            char text[1024] = {};
            message.GetText(text, sizeof text);
            texts.emplace_back(text);
        });
        return texts;
    }

    // Each ship's side as last told the slot, by ship id.
    std::map<int, int> SidesTo(int slot) const
    {
        std::map<int, int> sides;
        EachTo(slot, kMsgTeam, [&](NetMessage& message) {
            int ship = 0;
            std::uint8_t team = 0;
            message.GetTeam(ship, team);
            sides[ship] = team;
        });
        return sides;
    }

    bool Told(int slot, const std::string& text) const
    {
        const auto texts = TextsTo(slot);
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    EventLog quiet;
    std::unique_ptr<Game> game;
    std::vector<Sent> sent;
};

TEST_F(GameTest, RobotsTakeFreeSeatsAndGiveThemToPeopleWhoAreToldTheGameAsItIs)
{
    Begin(Options(3, 3));
    EXPECT_EQ(game->Robots(), 3);
    const int ann = game->Join("Ann", 1);
    ASSERT_NE(ann, Game::kNobody);
    EXPECT_EQ(std::tuple(game->Seated(), game->Robots(), game->People()), std::tuple(3, 2, 1));
    Tick();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front().slot, ann) << "nobody else watches";
    // The reply alone first, so that a map's offer may come between it and the map.
    std::vector<int> kinds;
    for (std::size_t payload = 0; payload < 2 && payload < sent.size(); ++payload) {
        MessageBatch batch;
        batch.ParsePacked(sent[payload].bytes.data(), sent[payload].bytes.size());
        for (NetMessage* message = batch.Begin(); message; message = batch.Next())
            kinds.push_back(message->Kind());
        if (payload == 0) {
            EXPECT_EQ(kinds, std::vector<int>{kMsgJoin});
        }
    }
    ASSERT_GE(kinds.size(), 6u);
    EXPECT_EQ(std::vector<int>(kinds.begin(), kinds.begin() + 6),
              (std::vector<int>{kMsgJoin, kMsgMap, kMsgRoundClock, kMsgPlayerSpawn, kMsgPlayerSpawn, kMsgPlayerSpawn}))
        << "its own ship, the map and its clock, then everyone in the game";
    EXPECT_TRUE(Told(ann, "Ann joined the game"));

    const int second = game->Join("Bob", 0);
    game->Join("Cy", 0);
    EXPECT_EQ(game->Robots(), 0);
    EXPECT_EQ(game->Join("Dan", 0), Game::kNobody) << "every seat a person's";

    game->Leave(second);
    EXPECT_EQ(std::tuple(game->Seated(), game->Robots()), std::tuple(3, 1)) << "a robot took the free seat";
    game->Leave(second);
    EXPECT_EQ(game->Seated(), 3) << "leaving twice is nothing";
    game->WantRobots(0);
    EXPECT_EQ(std::tuple(game->Seated(), game->Robots()), std::tuple(2, 0));
    game->WantRobots(5);
    EXPECT_EQ(std::tuple(game->Seated(), game->Robots()), std::tuple(3, 1)) << "as many as the seats allow";
}

TEST_F(GameTest, ChatTellsAndMapRequestsReachWhomTheyShould)
{
    Begin(Options(4, 0));
    const int ann = game->Join("Ann", 1);
    const int bob = game->Join("Bob", 2);
    game->Chat(ann, "hello all");
    game->Chat(bob, "\x01");
    game->Tell(bob, "just you");
    Tick();
    EXPECT_TRUE(Told(bob, "Ann: hello all") && Told(ann, "Ann: hello all"));
    EXPECT_TRUE(Told(bob, "just you") && !Told(ann, "just you"));
    for (const std::string& text : TextsTo(ann))
        EXPECT_EQ(text.find("Bob:"), std::string::npos) << "nothing drawable said is nothing said";

    ASSERT_TRUE(game->ChangeMap("Expanse"));
    ASSERT_TRUE(game->NextMap());
    EXPECT_EQ(game->GetSimulation().MapName(), "Warren") << "from a map out of the rotation, as a round's end goes on";
}

// A person who watches takes a slot but no seat: robots and people fill
// every seat beside it, it hears its reply before the game and everyone
// hears how many watch; its slot is free again once it leaves.
TEST_F(GameTest, AWatcherHoldsASlotButNoSeatIsToldAndItsSlotComesBack)
{
    Begin(Options(2, 2));
    const int eve = game->WatchAs("Eve");
    ASSERT_NE(eve, Game::kNobody);
    game->CountWatchers(1);
    const int ann = game->Join("Ann", 1);
    game->Tell(eve, "just you");
    Tick();
    EXPECT_EQ(std::tuple(game->People(), game->Robots()), std::tuple(1, 1)) << "one robot gave its seat, not two";
    std::vector<int> kinds;
    EachTo(eve, kAnyKind, [&](NetMessage& message) {
        if (message.Kind() == kMsgWatching || message.Kind() == kMsgPlayerSpawn)
            kinds.push_back(message.Kind());
    });
    EXPECT_EQ(kinds, (std::vector<int>{kMsgWatching, kMsgPlayerSpawn, kMsgPlayerSpawn, kMsgPlayerSpawn}))
        << "the reply, then both robots and Ann";
    EXPECT_TRUE(Told(eve, "just you"));
    int watching = 0;
    EachTo(ann, kMsgWatchers, [&](NetMessage& message) { message.GetId(watching); });
    EXPECT_EQ(watching, 1) << "in Ann's welcome";

    game->Leave(eve);
    EXPECT_EQ(game->Watch(), eve) << "the slot is free again";
    game->Leave(ann);
    EXPECT_EQ(game->Robots(), 2) << "a watcher's leaving touches no seat";
}

// A newcomer hears what is left of the round; everyone hears a new round's
// whole time, and a game without a time limit says so.
TEST_F(GameTest, TheRoundClockFollowsEachMapWithTheTimeLeftAndTheScoreLimit)
{
    const auto clocks = [this](int slot) {
        std::vector<std::pair<int, int>> heard;
        EachTo(slot, kMsgRoundClock, [&](NetMessage& message) {
            int msLeft = 0, limit = 0;
            message.GetRoundClock(msLeft, limit);
            heard.emplace_back(msLeft, limit);
        });
        return heard;
    };
    GameOptions options = Options(4, 0);
    options.scoreLimit = 7;
    options.roundMinutes = 2.0;
    Begin(options);
    for (int i = 0; i < 60; ++i)
        Tick(17);
    const int ann = game->Join("Ann", 1);
    Tick();
    ASSERT_TRUE(game->NextMap());
    Tick();
    EXPECT_EQ(clocks(ann), (std::vector<std::pair<int, int>>{{120000 - 60 * 17, 7}, {120000, 7}}));

    sent.clear();
    options.roundMinutes = 0.0;
    Begin(options);
    const int bob = game->Join("Bob", 1);
    Tick();
    EXPECT_EQ(clocks(bob), (std::vector<std::pair<int, int>>{{-1, 7}}));
}

// The shooter alone is told which shots its keys fired, just before each
// one's first state.
TEST_F(GameTest, AShotIsNamedItsShootersToTheShooterAlone)
{
    Begin(Options(4, 0));
    const int ann = game->Join("Ann", 1);
    const int bob = game->Join("Bob", 2);
    const int eye = game->Watch();
    ASSERT_NE(eye, Game::kNobody);
    // Nor Ann's: her slot is told of her shots below, the watcher's is not.
    EXPECT_NE(eye, bob) << "a slot of its own";
    for (int tick = 0; tick < 120; ++tick)
        Tick();
    HeldKeys fire;
    fire.Press(kKeyFire);
    game->Hold(ann, fire);
    sent.clear();
    for (int tick = 0; tick < 60; ++tick)
        Tick();
    // Per slot, the shots named its own.
    std::map<int, std::vector<int>> named;
    for (const Sent& s : sent) {
        MessageBatch batch;
        batch.ParsePacked(s.bytes.data(), s.bytes.size());
        int waiting = 0;
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            int id = 0;
            message->GetId(id);
            if (message->Kind() == kMsgOwnShot) {
                named[s.slot].push_back(waiting = id);
                continue;
            }
            EXPECT_TRUE(waiting == 0 || (message->Kind() == kMsgEntityState && id == waiting))
                << "a shot's name comes just before its state";
            waiting = 0;
        }
    }
    ASSERT_GE(named[ann].size(), 3u);
    EXPECT_TRUE(named[bob].empty());
    EXPECT_TRUE(named[eye].empty()) << "a watcher has no shots of its own";
}

// Everyone scored nothing: the first name wins. A match of one round asks
// for no other.
TEST_F(GameTest, TheClockIsTheTicksPlayedAndARobotThatWinsSaysSo)
{
    const struct {
        const char* person;
        bool lastRound;
        const char* cheer;
        bool told;
    } cases[] = {{"Zed", false, "Robot Ace: Good game, pilots. One more round!", true},
                 {"Ann", false, "Robot Ace: Good game, pilots. One more round!", false},
                 {"Zed", true, "Robot Ace: Good game, pilots.", true}};
    for (const auto& c : cases) {
        GameOptions options = Options(3, 2);
        options.roundMinutes = 0.005;
        Begin(options);
        if (c.lastRound)
            game->LastRound();
        sent.clear();
        const int slot = game->Join(c.person, 0);
        EXPECT_EQ(game->Now(), 0u);
        for (int tick = 0; tick < 30; ++tick)
            Tick(tick % 2 ? 17 : 16);
        EXPECT_EQ(game->Now(), 15u * 17 + 15u * 16);
        ASSERT_TRUE(game->GetSimulation().IsRoundOver());
        EXPECT_EQ(Told(slot, c.cheer), c.told) << c.person << ", last round " << c.lastRound;
    }
}

} // namespace

namespace {

// Runs a game command as the player in the slot would, and gives its answers.
std::vector<std::string> Ask(Game& game, const std::string& line, int slot)
{
    const std::size_t space = line.find(' ');
    const std::string name = line.substr(0, space);
    const std::string arguments = space == std::string::npos ? "" : line.substr(space + 1);
    std::vector<std::string> answers;
    for (const HostedGame::Command& command : game.Commands()) {
        if (command.name == name)
            command.run(arguments, "test", slot, [&](const std::string& line) { answers.push_back(line); });
    }
    return answers;
}

} // namespace

TEST_F(GameTest, WithoutTeamsNobodyIsToldOfThemUntilATeamRoundDealsEachPersonASide)
{
    Begin(Options(4, 2));
    const int ann = game->Join("Ann", 0);
    Tick();
    int teamMessages = 0;
    for (const int kind : {kMsgTeam, kMsgTeamScores, kMsgFlag, kMsgFlagEvent})
        EachTo(ann, kind, [&](NetMessage&) { ++teamMessages; });
    EXPECT_EQ(teamMessages, 0);
    EXPECT_EQ(Ask(*game, "team", ann), std::vector<std::string>{"This round plays no teams: its mode is dm."});

    // A mode asked for is news to everyone; a pilot who asked hears it once.
    const int bob = game->Join("Bob", 0);
    EXPECT_TRUE(Ask(*game, "mode tdm", ann).empty());
    EXPECT_EQ(Ask(*game, "mode tdm", Game::kNobody), std::vector<std::string>{"The next round plays tdm."});
    Tick();
    for (const int slot : {ann, bob})
        EXPECT_TRUE(Told(slot, "The next round plays tdm.")) << slot;
    EXPECT_EQ(Ask(*game, "team", ann),
              std::vector<std::string>{
                  "This round plays no teams: its mode is dm. The next round plays tdm, and deals the sides as it "
                  "starts."});

    ASSERT_TRUE(game->NextMap());
    Tick();
    for (const int slot : {ann, bob}) {
        const std::string side = std::string("You play for ") + TeamName(game->Pilot(slot)->GetTeam()) + ".";
        EXPECT_EQ(std::ranges::count(TextsTo(slot), side), 1) << slot;
    }
}

// Robots change sides so that people may come, go and switch, and the
// sides stay within one of each other.
TEST_F(GameTest, InATeamGameRobotsKeepTheSidesEvenAndANewcomerIsToldEverySide)
{
    GameOptions options = Options(6, 4);
    options.mode = "tdm";
    Begin(options);
    // As the status and the metrics see them.
    const auto sides = [&] {
        const auto glance = game->Look();
        EXPECT_EQ(glance.sides.size(), 2u);
        return std::tuple(glance.sides.at(0).pilots, glance.sides.at(1).pilots);
    };
    EXPECT_EQ(sides(), std::tuple(2, 2));
    const int ann = game->Join("Ann", 0);
    const int bob = game->Join("Bob", 0);
    EXPECT_EQ(sides(), std::tuple(3, 3));
    Tick();
    std::map<int, int> told = SidesTo(bob);
    EXPECT_EQ(told.size(), 6u) << "every pilot's side";
    EXPECT_EQ(told[game->Pilot(ann)->ShipId()], static_cast<int>(game->Pilot(ann)->GetTeam()));
    EXPECT_TRUE(Told(bob, std::string("You play for ") + TeamName(game->Pilot(bob)->GetTeam()) + "."));
    // The others learn of a newcomer's ship before its side, which they
    // would ignore for a ship they do not know.
    std::vector<int> aboutBob;
    EachTo(ann, kAnyKind, [&](NetMessage& message) {
        int ship = 0, x = 0, y = 0, type = 0;
        std::uint8_t team = 0;
        char name[64] = {};
        message.GetPlayerSpawn(ship, x, y, type, name, sizeof name);
        message.GetTeam(ship, team);
        if (ship == game->Pilot(bob)->ShipId())
            aboutBob.push_back(message.Kind());
    });
    EXPECT_EQ(std::vector<int>(aboutBob.begin(), aboutBob.begin() + std::min<std::size_t>(2, aboutBob.size())),
              (std::vector<int>{kMsgPlayerSpawn, kMsgTeam}));

    const Team before = game->Pilot(ann)->GetTeam();
    ASSERT_TRUE(game->Pilot(ann)->GetShip().IsAlive());
    EXPECT_EQ(Ask(*game, "team", ann), std::vector<std::string>{std::string("Changing sides cost your ship: you come "
                                                                            "back for ") +
                                                                TeamName(OtherTeam(before)) + "."});
    EXPECT_EQ(game->Pilot(ann)->GetTeam(), OtherTeam(before));
    EXPECT_TRUE(Ask(*game, "team", ann).empty()) << "no ship to lose: the notice to all says enough";
    EXPECT_EQ(sides(), std::tuple(3, 3)) << "a robot came the other way";
    Tick();
    EXPECT_TRUE(Told(bob, std::string("Ann plays for ") + TeamName(OtherTeam(before)) + " now"));

    game->WantRobots(0);
    EXPECT_EQ(sides(), std::tuple(1, 1));
    if (game->Pilot(ann)->GetTeam() == game->Pilot(bob)->GetTeam())
        FAIL() << "two people alone play against each other";
    EXPECT_EQ(Ask(*game, "team", ann), std::vector<std::string>{std::string(TeamName(game->Pilot(bob)->GetTeam())) +
                                                                " has 1 pilot and " +
                                                                TeamName(game->Pilot(ann)->GetTeam()) +
                                                                " 1: you stay with " +
                                                                TeamName(game->Pilot(ann)->GetTeam()) +
                                                                " to keep the sides even."});
    game->Leave(bob);
    game->WantRobots(3);
    EXPECT_EQ(sides(), std::tuple(2, 2));
    EXPECT_EQ(Ask(*game, "team", Game::kNobody), std::vector<std::string>{"Only a pilot plays for a team."});

    // A new round, sides kept, tells every side again: a recording that
    // begins with it knows them.
    sent.clear();
    Ask(*game, "next", Game::kNobody);
    Tick();
    std::map<int, int> retold = SidesTo(ann);
    EXPECT_GE(retold.size(), 4u) << "every pilot's side";
    EXPECT_EQ(retold[game->Pilot(ann)->ShipId()], static_cast<int>(game->Pilot(ann)->GetTeam()));
}

// In capture the flag a newcomer is told where both flags are, and everyone
// hears what happens to one: its new place, the news, and a notice.
TEST_F(GameTest, InCaptureTheFlagEveryoneIsToldWhereTheFlagsAreAndWhatBefallsThem)
{
    GameOptions options = Options(4, 0);
    options.mode = "ctf";
    Begin(options);
    const int ann = game->Join("Ann", 0);
    const int bob = game->Join("Bob", 0);
    Tick();
    const auto flagsTo = [&](int slot) {
        std::vector<std::tuple<int, int, int, int, int>> flags;
        EachTo(slot, kMsgFlag, [&](NetMessage& message) {
            std::uint8_t team = 0, place = 9;
            int carrier = -1, x = 0, y = 0;
            message.GetFlag(team, place, carrier, x, y);
            flags.emplace_back(team, place, carrier, x, y);
        });
        return flags;
    };
    const auto homes = game->GetSimulation().Mode().Flags();
    ASSERT_EQ(homes.size(), 2u);
    const auto welcome = flagsTo(ann);
    ASSERT_EQ(welcome.size(), 2u);
    EXPECT_EQ(welcome[1], std::tuple(2, 0, 0, static_cast<int>(homes[1].home.x), static_cast<int>(homes[1].home.y)));

    // Bob of Blue flies onto Red's flag.
    Player& blue = *game->Pilot(bob);
    ASSERT_EQ(blue.GetTeam(), Team::Blue);
    sent.clear();
    blue.GetShip().SetPosition(homes[0].home);
    Tick();
    EXPECT_EQ(flagsTo(ann), (std::vector<std::tuple<int, int, int, int, int>>{
                                {1, 1, blue.ShipId(), static_cast<int>(homes[0].home.x),
                                 static_cast<int>(homes[0].home.y)}}));
    std::vector<std::tuple<int, int, int>> news;
    EachTo(ann, kMsgFlagEvent, [&](NetMessage& message) {
        std::uint8_t event = 0, team = 0;
        int by = 0;
        message.GetFlagEvent(event, team, by);
        news.emplace_back(event, team, by);
    });
    EXPECT_EQ(news, (std::vector<std::tuple<int, int, int>>{{1, 1, blue.ShipId()}}));
    EXPECT_TRUE(Told(ann, "Blue took the Red flag"));

    const auto glance = game->Look();
    ASSERT_EQ(glance.flags.size(), 2u);
    EXPECT_EQ(std::tuple(glance.flags[0].team, glance.flags[0].place, glance.flags[0].carrier),
              std::tuple("Red", "carried", "Bob"));
    EXPECT_EQ(std::tuple(glance.flags[1].team, glance.flags[1].place), std::tuple("Blue", "home"));

    // A watcher, as the round recorder is, is told both flags as it comes
    // (Red's at home first, for its base, then carried) and again as the
    // next round places them.
    const int watcher = game->Watch();
    sent.clear();
    Tick();
    const int redX = static_cast<int>(homes[0].home.x);
    const int redY = static_cast<int>(homes[0].home.y);
    EXPECT_EQ(flagsTo(watcher), (std::vector<std::tuple<int, int, int, int, int>>{
                                    {1, 0, 0, redX, redY},
                                    {1, 1, blue.ShipId(), redX, redY},
                                    {2, 0, 0, static_cast<int>(homes[1].home.x), static_cast<int>(homes[1].home.y)}}));
    sent.clear();
    ASSERT_TRUE(game->NextMap());
    Tick();
    const auto placed = flagsTo(watcher);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(std::tuple(std::get<0>(placed[0]), std::get<1>(placed[0])), std::tuple(1, 0)) << "home again";
}

// A crowd of robots in all 64 slots still takes watchers and people: the
// newest robot makes room, and comes back once a watcher leaves, but not
// while a watcher moves from its slot to a seat.
TEST_F(GameTest, RobotsInEverySlotMakeRoomForWatchersAndPeople)
{
    Begin(Options(Player::kMaxSlots, Player::kMaxSlots));
    ASSERT_EQ(game->Robots(), Player::kMaxSlots);
    const int eve = game->WatchAs("Eve");
    ASSERT_NE(eve, Game::kNobody);
    Tick();
    EXPECT_EQ(game->Robots(), Player::kMaxSlots - 1) << "no slot to come back to";
    const int ann = game->Join("Ann", 1);
    ASSERT_NE(ann, Game::kNobody) << "a seat is free, but the watcher holds its slot";
    EXPECT_EQ(game->Robots(), Player::kMaxSlots - 2);

    Tick();
    sent.clear();
    game->Leave(eve);
    ASSERT_NE(game->Join("Eve", 2), Game::kNobody);
    Tick();
    const auto texts = TextsTo(ann);
    EXPECT_EQ(std::ranges::count_if(texts, [](const std::string& t) { return t.ends_with("joined the game"); }), 1)
        << "Eve alone: no robot came and went";

    game->Leave(ann);
    Tick();
    EXPECT_EQ(std::tuple(game->People(), game->Robots()), std::tuple(1, Player::kMaxSlots - 1));
}

// A flag's drop soon after its take is held back, then told once. Red's
// drop here is held back as the round ends: told before the round's last
// line, never after.
TEST_F(GameTest, AFlagsHeldBackNewsIsToldOnceAndNeverAfterTheRoundIsOver)
{
    GameOptions options = Options(4, 0);
    options.mode = "ctf";
    options.roundMinutes = 0.1; // 6000 ms, ticks of 16 ms
    Begin(options);
    const int ann = game->Join("Ann", 0);
    const int bob = game->Join("Bob", 0);
    Tick(16);
    const auto homes = game->GetSimulation().Mode().Flags();
    ASSERT_EQ(homes.size(), 2u);
    const auto count = [&](const std::string& text) {
        const auto texts = TextsTo(ann);
        return std::count(texts.begin(), texts.end(), text);
    };
    const auto until = [&](int ms) {
        while (game->GetSimulation().RoundMs() < ms)
            Tick(16);
    };
    Ship& red = game->Pilot(ann)->GetShip();
    Ship& blue = game->Pilot(bob)->GetShip();
    blue.SetPosition(homes[0].home);
    Tick(16);
    blue.Kill();
    Tick(16);
    EXPECT_EQ(count("Blue dropped the Red flag"), 0) << "a scramble over the flag reads as its take";
    until(976);
    red.SetPosition(homes[1].home);
    Tick(16); // taken at 992: a drop held back is due at 5992
    until(FlagNews::kQuietMs + 500);
    EXPECT_EQ(count("Blue took the Red flag"), 1);
    EXPECT_EQ(count("Blue dropped the Red flag"), 1);
    red.Kill();
    until(6000 - 16);
    ASSERT_FALSE(game->GetSimulation().IsRoundOver());
    Tick(16);
    ASSERT_TRUE(game->GetSimulation().IsRoundOver());
    Tick(); // the report that tells it
    const auto texts = TextsTo(ann);
    const auto over = std::find(texts.begin(), texts.end(), "Round over");
    ASSERT_NE(over, texts.end());
    EXPECT_EQ(std::count(texts.begin(), over, "Red took the Blue flag"), 1);
    EXPECT_EQ(std::count(texts.begin(), over, "Red dropped the Blue flag"), 1);
    EXPECT_TRUE(std::none_of(over, texts.end(), [](const std::string& t) { return t.find("flag") != std::string::npos; }))
        << "no flag news after the round's end";
}
