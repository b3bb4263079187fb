#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "net/MessageBatch.h"
#include "net/PackedBatch.h"
#include "net/Snapshots.h"
#include "server/game/Reporter.h"
#include "world/Bullet.h"
#include "world/Ship.h"

namespace {

// Ships and entities on a 4096-unit torus, reported to players by slot;
// what each is sent is kept per tick.
class ReporterTest : public ::testing::Test {
protected:
    struct Payload {
        int slot;
        std::vector<std::uint8_t> bytes;
        bool reliable;
    };

    void SetUp() override { reporter.NewRound(4096, 4096); }

    Ship& AddShip(int slot, double x, double y, bool watching = true)
    {
        ships.push_back(std::make_unique<Ship>());
        Ship& ship = *ships.back();
        ship.SetId(100 + slot);
        ship.ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        ship.SetPosition(Vector3(x, y, 0));
        reporter.AddShip(slot, &ship, watching);
        return ship;
    }

    GameObject& AddEntity(int id, double x, double y, Vector3 velocity = Vector3())
    {
        entities.push_back(std::make_unique<Bullet>());
        GameObject& entity = *entities.back();
        entity.SetId(id);
        entity.ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        entity.SetPosition(Vector3(x, y, 0));
        entity.SetVelocity(velocity);
        reporter.EntityAppeared(entity, 0);
        return entity;
    }

    std::vector<Payload> Tick(int ms = 50)
    {
        std::vector<Payload> sent;
        reporter.Tick(ms);
        reporter.Flush([&](int slot, const std::vector<std::uint8_t>& bytes, bool reliable) {
            sent.push_back({slot, bytes, reliable});
        });
        return sent;
    }

    // The kinds and ids of the messages of a payload, in order, the ship
    // states' snapshot header aside.
    static std::vector<std::pair<int, int>> Contents(const Payload& payload)
    {
        MessageBatch batch;
        batch.ParsePacked(payload.bytes.data(), payload.bytes.size());
        std::vector<std::pair<int, int>> contents;
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            if (message->Kind() == kMsgSnapshot)
                continue;
            int id = 0;
            message->GetId(id);
            contents.emplace_back(message->Kind(), id);
        }
        return contents;
    }

    static bool Holds(const Payload& payload, int kind, int id)
    {
        return std::ranges::count(Contents(payload), std::make_pair(kind, id)) > 0;
    }

    Reporter reporter;
    std::vector<std::unique_ptr<Ship>> ships;
    std::vector<std::unique_ptr<GameObject>> entities;
};

TEST_F(ReporterTest, EventsWaitForTheNextReportAndGoWithItsStatesInOneDatagramAPlayer)
{
    AddShip(0, 100, 100);
    AddShip(1, 200, 100);
    AddShip(2, 300, 100, false);

    reporter.ToAll().SetText("hello");
    EXPECT_TRUE(Tick(10).empty()) << "news waits for the report";
    const auto report = Tick(23);
    ASSERT_EQ(report.size(), 4u) << "news and states to each player; the robot's slot watches nothing";
    EXPECT_EQ(Contents(report[0]), (std::vector<std::pair<int, int>>{{kMsgText, 0}}));
    EXPECT_TRUE(report[0].reliable);
    const auto contents = Contents(report[1]);
    ASSERT_EQ(contents.size(), 3u);
    EXPECT_EQ(contents[0], std::make_pair(int(kMsgShipState), 100)) << "its own ship first";
    EXPECT_TRUE(Holds(report[1], kMsgShipState, 101));
    EXPECT_TRUE(Holds(report[1], kMsgShipState, 102)) << "every ship is reported";
    EXPECT_FALSE(report[1].reliable) << "states alone may be lost";

    EXPECT_TRUE(Tick(5).empty()) << "nothing between reports";
    reporter.ShipNow(1);
    ships[1]->SetScore(3);
    reporter.ShipNow(1);
    EXPECT_TRUE(Tick(5).empty()) << "a ship's sudden change waits for the report too";
    const auto next = Tick(40);
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(Contents(next[0])[1], std::make_pair(int(kMsgShipState), 101)) << "first after the own ship";
    const auto& toPilot = next[1];
    EXPECT_EQ(toPilot.slot, 1);
    ASSERT_EQ(Contents(toPilot)[0], std::make_pair(int(kMsgShipState), 101)) << "the newest state once";
    MessageBatch batch;
    batch.ParsePacked(toPilot.bytes.data(), toPilot.bytes.size());
    int id = 0;
    std::uint8_t flags = 0;
    AmmunitionCounts<std::uint8_t> counts {};
    float fuel = 0, tank = 0, heading = 0;
    signed char score = 0;
    Vector3 at, moving;
    EXPECT_EQ(batch.Begin()->Kind(), kMsgSnapshot) << "ship states go as a snapshot";
    batch.Next()->GetShipState(id, flags, fuel, tank, score, counts, at, moving, heading);
    EXPECT_EQ(score, 3);
}

TEST_F(ReporterTest, EntitiesAreToldWhileInSightAndTakenAwayWhenFar)
{
    AddShip(0, 100, 100);
    GameObject& near = AddEntity(1, 500, 100);
    GameObject& far = AddEntity(2, 2000, 2000);
    auto sent = Tick(33);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(Holds(sent[0], kMsgEntityState, 1));
    EXPECT_FALSE(Holds(sent[0], kMsgEntityState, 2));

    far.SetPosition(Vector3(300, 4000, 0));
    near.SetPosition(Vector3(1500, 100, 0));
    sent = Tick(33);
    ASSERT_EQ(sent.size(), 2u) << "the news, then the ship states on their own";
    EXPECT_TRUE(sent[0].reliable);
    EXPECT_FALSE(sent[1].reliable) << "a lost payload of news never holds the ships back";
    EXPECT_TRUE(Holds(sent[0], kMsgEntityState, 2)) << "in sight across the world's edge";
    EXPECT_TRUE(Holds(sent[0], kMsgEntityKilled, 1)) << "out of sight, it is taken away";

    reporter.EntityKilled(near);
    reporter.EntityKilled(far);
    sent = Tick(33);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Contents(sent[0]), (std::vector<std::pair<int, int>>{{kMsgEntityKilled, 2}}))
        << "only what the player knows is killed for it";
}

TEST_F(ReporterTest, ANewcomerIsToldEveryShipAndWhatIsInSight)
{
    AddShip(0, 100, 100);
    AddEntity(1, 150, 150);
    AddEntity(2, 3000, 3000);
    Tick(33);
    AddShip(5, 200, 200);
    reporter.ShipsTo(5);
    reporter.EntitiesInView(5);
    auto sent = Tick(33);
    std::erase_if(sent, [](const Payload& p) { return p.slot != 5; });
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Contents(sent[0]), (std::vector<std::pair<int, int>>{{kMsgEntityState, 1}}));
    EXPECT_EQ(Contents(sent[1]), (std::vector<std::pair<int, int>>{{kMsgShipState, 100}, {kMsgShipState, 105}}));

    reporter.RemoveShip(5);
    AddShip(5, 3000, 3000);
    reporter.EntitiesInView(5);
    auto again = Tick(33);
    std::erase_if(again, [](const Payload& p) { return p.slot != 5 || !p.reliable; });
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(Holds(again[0], kMsgEntityState, 2));
    EXPECT_FALSE(Holds(again[0], kMsgEntityState, 1)) << "a slot taken again starts afresh";
}

// A recorder or spectator in slot 7: no ship, the whole map in sight. Every
// payload it gets parses whole, and it hears of everything wherever it is.
TEST_F(ReporterTest, AWatcherWithoutAShipIsToldEveryShipAndEntityAllOverTheMap)
{
    AddShip(0, 100, 100);
    AddShip(1, 3000, 3000);
    AddEntity(1, 150, 150);
    GameObject& roaming = AddEntity(2, 2000, 2000, Vector3(0, 50, 0));
    Tick(33);
    const auto toWatcher = [](const std::vector<Payload>& sent) {
        std::vector<std::pair<int, int>> contents;
        for (const Payload& payload : sent) {
            if (payload.slot != 7)
                continue;
            MessageBatch batch;
            batch.ParsePacked(payload.bytes.data(), payload.bytes.size());
            const auto held = Contents(payload);
            EXPECT_EQ(batch.Parsed(), batch.Count()) << "every message it claims is whole";
            contents.insert(contents.end(), held.begin(), held.end());
        }
        std::ranges::sort(contents);
        return contents;
    };

    reporter.AddWatcher(7);
    reporter.ShipsTo(7);
    reporter.EntitiesInView(7);
    EXPECT_EQ(toWatcher(Tick(33)), (std::vector<std::pair<int, int>>{
                                       {kMsgShipState, 100}, {kMsgShipState, 101}, {kMsgEntityState, 1}, {kMsgEntityState, 2}}));

    GameObject& far = AddEntity(3, 2048, 1100);
    auto sent = Tick(33);
    auto heard = toWatcher(sent);
    EXPECT_TRUE(std::ranges::count(heard, std::make_pair(int(kMsgEntityState), 3)) > 0) << "far from every ship";
    EXPECT_FALSE(std::ranges::any_of(sent, [](const Payload& p) { return p.slot != 7 && Holds(p, kMsgEntityState, 3); }))
        << "and out of every player's sight";
    EXPECT_TRUE(std::ranges::count(heard, std::make_pair(int(kMsgShipState), 100)) > 0) << "the ships at the report";
    EXPECT_TRUE(std::ranges::count(heard, std::make_pair(int(kMsgShipState), 101)) > 0);

    int roamingStates = 0;
    for (int tick = 0; tick < 240; ++tick) {
        roaming.SetPosition(roaming.Position() + Vector3(97, 61, 0));
        roaming.Wrap(4096, 4096);
        heard = toWatcher(Tick(33));
        EXPECT_EQ(std::ranges::count(heard, std::make_pair(int(kMsgEntityKilled), 2)), 0) << "never out of its sight";
        roamingStates += static_cast<int>(std::ranges::count(heard, std::make_pair(int(kMsgEntityState), 2)));
    }
    // Far from every ship it is due about every 3 s: one report in 100.
    EXPECT_GE(roamingStates, 2) << "what moves is reported as it goes round the map";

    reporter.EntityKilled(far);
    EXPECT_EQ(std::ranges::count(toWatcher(Tick(33)), std::make_pair(int(kMsgEntityKilled), 3)), 1);
    reporter.RemoveShip(7);
    reporter.ToAll().SetText("gone");
    EXPECT_TRUE(toWatcher(Tick(33)).empty()) << "a watcher removed hears nothing";

    reporter.AddWatcher(1);
    EXPECT_FALSE(std::ranges::any_of(Tick(60), [](const Payload& p) { return Holds(p, kMsgShipState, 101); }))
        << "a ship's seat turned watcher has no ship left to report";
}

// With 16 ships and 300 moving things each player's share of the bandwidth
// holds and is used, and every moving thing is still reported. Pongs and
// resends are paid from the share too, and a payload cut into fragments
// pays for each one's datagram: without those charges the share is passed.
TEST_F(ReporterTest, EachPlayersShareOfBandwidthHoldsWithWhatIsSentBesideTheReportsAndEveryMovingThingIsReported)
{
    EXPECT_EQ(Reporter::WireCost(100), 108.0) << "ENet's command before each payload";
    EXPECT_EQ(Reporter::WireCost(3000), 3000.0 + 3 * (24.0 + 32.0));
    const double share = Reporter::Settings().bytesPerSecond;
    for (int slot = 0; slot < 16; ++slot)
        AddShip(slot, 100 + 20 * slot, 100);
    for (int id = 1; id <= 300; ++id)
        AddEntity(id, 100 + id, 300, Vector3(0, 100, 0));
    Tick(33); // the entities' appearance
    // Bytes a second on the wire to slot 0, and the most ticks a moving thing waited for its report.
    const auto measure = [&](bool extras, bool charged) {
        double bytes = 0.0;
        std::vector<int> lastReported(301, 0);
        int longestWait = 0;
        for (int tick = 1; tick <= 600; ++tick) {
            // A pong every tenth of a second.
            if (extras && tick % 6 == 0) {
                bytes += 60.0;
                if (charged)
                    reporter.Charge(0, 60.0);
            }
            bool datagram = false;
            for (const Payload& payload : Tick(17)) {
                if (payload.slot != 0)
                    continue;
                // The tick's one datagram with its IPv4, UDP and ENet headers.
                bytes += Reporter::WireCost(payload.bytes.size()) + (datagram ? 0 : 32);
                datagram = true;
                // Every other reliable payload lost once: sent again, alone.
                if (extras && payload.reliable && tick % 2 == 0) {
                    bytes += Reporter::WireCost(payload.bytes.size()) + 32;
                    if (charged)
                        reporter.ChargeResent(0, 1);
                }
                for (const auto& [kind, id] : Contents(payload)) {
                    if (kind == kMsgEntityState) {
                        longestWait = std::max(longestWait, tick - lastReported[static_cast<std::size_t>(id)]);
                        lastReported[static_cast<std::size_t>(id)] = tick;
                    }
                }
            }
        }
        return std::pair(bytes / (600 * 17 / 1000.0), longestWait);
    };
    EXPECT_LE(measure(true, true).first, share * 1.03);
    const auto [reports, longestWait] = measure(false, false);
    EXPECT_LE(reports, share * 1.02);
    EXPECT_GT(reports, share * 0.8) << "the share is used";
    EXPECT_LT(longestWait, 480) << "in a crowd no moving thing waits more than about eight seconds";
    EXPECT_GT(measure(true, false).first, share * 1.1) << "what the charges are for";
}

// A player whose link throttles gets fewer updates than one whose link
// keeps up, its own ship still at every report; one whose reliable bytes
// pile up gets nothing but its own ship until they drain.
TEST_F(ReporterTest, ALinkThatCannotKeepUpGetsFewerUpdatesAndNeverABacklog)
{
    for (int slot = 0; slot < 16; ++slot)
        AddShip(slot, 100 + 20 * slot, 100);
    for (int id = 1; id <= 100; ++id)
        AddEntity(id, 100 + id, 300, Vector3(0, 100, 0));
    Tick(33);
    LinkState clean;
    clean.roundTripMs = 80;
    LinkState thin = clean;
    thin.throttle = 0.05;
    double bytes[2] = {};
    int reports = 0;
    int ownStates = 0;
    for (int tick = 0; tick < 120; ++tick) {
        reporter.Link(0, thin);
        reporter.Link(1, clean);
        for (const Payload& payload : Tick(17)) {
            if (payload.slot > 1)
                continue;
            bytes[payload.slot] += static_cast<double>(payload.bytes.size());
            reports += payload.slot == 1 && !payload.reliable;
            ownStates += payload.slot == 0 && Holds(payload, kMsgShipState, 100);
        }
    }
    EXPECT_LT(bytes[0], 0.45 * bytes[1]);
    EXPECT_GT(bytes[0], 0.15 * bytes[1]) << "but gets its share";
    EXPECT_EQ(ownStates, reports) << "its own ship at every report";

    LinkState piled = clean;
    piled.reliableQueued = 100000;
    for (int tick = 0; tick < 20; ++tick) {
        reporter.Link(1, piled);
        for (const Payload& payload : Tick(17)) {
            if (payload.slot == 1) {
                EXPECT_EQ(Contents(payload), (std::vector<std::pair<int, int>>{{kMsgShipState, 101}}));
            }
        }
    }
}

// A player that acknowledges a snapshot is sent its ship states as deltas
// from it, which it reads back as the ships are; one that does not, or that
// acknowledges what was never sent, gets whole states.
TEST_F(ReporterTest, StatesGoAsDeltasFromTheSnapshotThePlayerAcknowledged)
{
    Ship& own = AddShip(0, 100, 100);
    AddShip(1, 300, 100);
    Snapshots held;
    bool ran = false;
    bool folded = false;
    // The state payload to slot 0 of a report, read as the player reads it.
    const auto report = [&](bool& deltas) {
        std::vector<Payload> sent = Tick(50);
        std::erase_if(sent, [](const Payload& p) { return p.slot != 0 || p.reliable; });
        EXPECT_EQ(sent.size(), 1u);
        deltas = std::ranges::count(sent[0].bytes, PackedBatch::kShipDelta) > 0;
        ran = std::ranges::count(sent[0].bytes, PackedBatch::kShipDeltaRun) > 0;
        folded = sent[0].bytes[0] == PackedBatch::kFoldedRun;
        MessageBatch batch;
        batch.ParsePacked(sent[0].bytes.data(), sent[0].bytes.size());
        batch.UseSnapshots(&held);
        std::pair<double, double> at;
        for (NetMessage* m = batch.Begin(); m; m = batch.Next()) {
            int id = 0;
            std::uint8_t flags = 0;
            AmmunitionCounts<std::uint8_t> counts {};
            float fuel = 0, tank = 0, heading = 0;
            signed char score = 0;
            Vector3 where, moving;
            m->GetShipState(id, flags, fuel, tank, score, counts, where, moving, heading);
            if (m->Kind() == kMsgShipState && id == 100)
                at = {where.x, where.y};
        }
        return at;
    };
    bool deltas = true;
    report(deltas);
    EXPECT_FALSE(deltas) << "nothing acknowledged";
    reporter.Acknowledge(0, 999);
    own.SetPosition(Vector3(140, 120, 0));
    EXPECT_EQ(report(deltas), std::pair(140.0, 120.0));
    EXPECT_FALSE(deltas) << "a snapshot never sent is no base";
    reporter.Acknowledge(0, held.Newest());
    own.SetPosition(Vector3(150.5, 121.25, 0));
    EXPECT_EQ(report(deltas), std::pair(150.5, 121.25));
    EXPECT_TRUE(deltas);
    EXPECT_FALSE(ran) << "a program that never said it reads runs";
    LinkState reads;
    reads.reads = PackedBatch::kReadsDeltaRuns;
    reporter.Link(0, reads);
    reporter.Acknowledge(0, held.Newest());
    own.SetPosition(Vector3(160.5, 122.25, 0));
    EXPECT_EQ(report(deltas), std::pair(160.5, 122.25));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(folded);
    reads.reads = PackedBatch::kReadsAll;
    reporter.Link(0, reads);
    reporter.Acknowledge(0, held.Newest());
    own.SetPosition(Vector3(170.5, 123.25, 0));
    EXPECT_EQ(report(deltas), std::pair(170.5, 123.25));
    EXPECT_TRUE(folded) << "a program that reads folded runs";
    // The seat changes hands: the newcomer has acknowledged nothing.
    reporter.RemoveShip(0);
    AddShip(0, 900, 900);
    held = Snapshots();
    EXPECT_EQ(report(deltas), std::pair(900.0, 900.0));
    EXPECT_FALSE(deltas);
}

} // namespace
