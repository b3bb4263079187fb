#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "net/MessageBatch.h"
#include "net/PackedBatch.h"
#include "net/Snapshots.h"
#include "support/WireBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct State {
    int id;
    std::uint8_t flags;
    float fuel, tank;
    signed char score;
    AmmunitionCounts<std::uint8_t> counts;
    Vector3 at, moving;
    float heading;

    void Into(NetMessage& m) const { m.SetShipState(id, flags, fuel, tank, score, counts, at, moving, heading); }
};

const State kBase {7, 0x11, 37.5f, 100.0f, -3, {0, 2, 0, 9}, Vector3(517.3, 211.06, 0), Vector3(-97.013, 305.5, 0),
                   90.0f};

// A player's program: reads each payload it is given with its snapshots
// and keeps the wire form of every ship state it read.
struct Player {
    std::vector<Bytes> Read(const Bytes& payload)
    {
        MessageBatch batch;
        batch.ParsePacked(payload.data(), payload.size());
        batch.UseSnapshots(&held);
        std::vector<Bytes> states;
        for (const NetMessage* m = batch.Begin(); m; m = batch.Next()) {
            if (m->Kind() == kMsgShipState)
                states.push_back(WireOf(*m));
        }
        return states;
    }
    Snapshots held;
};

// What a payload of whole compact states reads as, without snapshots.
Bytes Whole(const State& state)
{
    NetMessage m;
    state.Into(m);
    const Bytes packed = PackedBatch::Pack({&m});
    MessageBatch batch;
    batch.ParsePacked(packed.data(), packed.size());
    return WireOf(*batch.Begin());
}

Bytes Pack(Snapshots& server, const std::vector<State>& states, std::uint32_t ms,
           Snapshots::Form form = Snapshots::Form::kRecords)
{
    std::deque<NetMessage> held;
    std::vector<const NetMessage*> batch;
    for (const State& state : states) {
        state.Into(held.emplace_back());
        batch.push_back(&held.back());
    }
    return server.Pack(batch, ms, form);
}

bool HasDelta(const Bytes& payload)
{
    MessageBatch batch;
    batch.ParsePacked(payload.data(), payload.size());
    std::size_t at = 0;
    NetMessage m;
    while (at < payload.size()) {
        if (payload[at] == PackedBatch::kShipDelta)
            return true;
        const std::size_t taken = PackedBatch::Read(payload.data() + at, payload.size() - at, m);
        if (!taken)
            return false;
        at += taken;
    }
    return false;
}

TEST(Snapshots, ADeltaReadsAsExactlyTheStateItsWholeRecordWouldHaveGiven)
{
    // Each change from the base, applied a report later.
    const auto change = [](auto edit) {
        State s = kBase;
        edit(s);
        return s;
    };
    const std::vector<State> cases = {
        kBase,
        change([](State& s) { s.at = kBase.at + kBase.moving * 0.033; }), // coasting
        change([](State& s) { s.at = Vector3(4095.9, 0.2, 0); }),         // across the seam
        change([](State& s) { s.at = Vector3(70000.0, 3.0, 1); }),        // wide, raised
        change([](State& s) { s.moving = Vector3(700.25, -768.0, 0); }),
        change([](State& s) { s.heading = 359.99f; }),
        change([](State& s) { s.heading = -0.002f; }),
        change([](State& s) { s.fuel = 0.0f; s.tank = 200.0f; }),
        change([](State& s) { s.flags = 0x20; s.score = 127; }),
        change([](State& s) { s.counts = {255, 0, 1, 0}; }),
        change([](State& s) { s.moving = Vector3(-200000.0, 200000.0, 0); s.at = Vector3(0, 500000.0, 0); }),
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Snapshots server;
        Player player;
        player.Read(Pack(server, {kBase}, 1000));
        server.Acknowledge(player.held.Newest());
        const Bytes payload = Pack(server, {cases[i]}, 1033);
        EXPECT_TRUE(HasDelta(payload)) << "case " << i;
        EXPECT_EQ(player.Read(payload), std::vector<Bytes> {Whole(cases[i])}) << "case " << i;
    }
}

TEST(Snapshots, APlayerThatNeverAcknowledgesGetsWholeStates)
{
    Snapshots server;
    Player player;
    for (std::uint32_t ms = 0; ms < 500; ms += 33) {
        const Bytes payload = Pack(server, {kBase}, ms);
        EXPECT_FALSE(HasDelta(payload));
        EXPECT_EQ(player.Read(payload), std::vector<Bytes> {Whole(kBase)});
    }
}

TEST(Snapshots, AfterLossTheDeltasComeFromTheBaseThePlayerHolds)
{
    Snapshots server;
    Player player;
    State state = kBase;
    player.Read(Pack(server, {state}, 0));
    server.Acknowledge(player.held.Newest());
    // Payloads lost on the way: their states were never heard.
    for (std::uint32_t ms = 33; ms < 200; ms += 33) {
        state.at = state.at + Vector3(3, 1, 0);
        state.heading += 7.0f;
        Pack(server, {state}, ms);
    }
    state.fuel = 12.0f;
    const Bytes payload = Pack(server, {state, State {9, 0, 50, 100, 0, {}, Vector3(9, 9, 0), Vector3(), 0}}, 231);
    EXPECT_TRUE(HasDelta(payload));
    EXPECT_EQ(player.Read(payload)[0], Whole(state));
    EXPECT_EQ(player.held.Newest(), 8);
}

TEST(Snapshots, AcknowledgementsOfSnapshotsNeverSentOrOlderOrTooOldAreIgnored)
{
    Snapshots server;
    Player player;
    for (int i = 0; i < 3; ++i)
        player.Read(Pack(server, {kBase}, 33u * i));
    server.Acknowledge(3);
    // Never sent, none, and older than the newest acknowledged: the base stays 3.
    for (const std::uint16_t bogus : {99, 0, 2, 65535})
        server.Acknowledge(bogus);
    NetMessage header;
    Bytes payload = Pack(server, {kBase}, 99);
    ASSERT_TRUE(PackedBatch::Read(payload.data(), payload.size(), header));
    std::uint16_t number = 0, ms = 0;
    std::uint8_t back = 0;
    header.GetSnapshot(number, back, ms);
    EXPECT_EQ(number, 4);
    EXPECT_EQ(back, 1);
    // A flood of snapshots nobody acknowledges pushes the base out of those
    // kept: whole states again, and the player reads them.
    for (std::size_t i = 0; i < Snapshots::kKept; ++i)
        Pack(server, {kBase}, 132);
    server.Acknowledge(3);
    payload = Pack(server, {kBase}, 165);
    EXPECT_FALSE(HasDelta(payload));
    EXPECT_EQ(player.Read(payload), std::vector<Bytes> {Whole(kBase)});
}

TEST(Snapshots, ADeltaWithoutItsBaseEndsThePayloadAndIsNotAcknowledged)
{
    Snapshots server;
    Player player, stranger;
    player.Read(Pack(server, {kBase}, 0));
    server.Acknowledge(1);
    State moved = kBase;
    moved.at = Vector3(600, 300, 0);
    const Bytes payload = Pack(server, {moved}, 33);
    ASSERT_TRUE(HasDelta(payload));
    EXPECT_TRUE(stranger.Read(payload).empty());
    EXPECT_EQ(stranger.held.Newest(), 0);
    // Forgotten: a new player in the slot gets whole states, numbered on.
    server.Forget();
    server.Acknowledge(2);
    const Bytes again = Pack(server, {moved}, 66);
    EXPECT_FALSE(HasDelta(again));
    EXPECT_EQ(stranger.Read(again), std::vector<Bytes> {Whole(moved)});
    EXPECT_EQ(stranger.held.Newest(), 3);
}

// A player that reads runs gets a snapshot's deltas as one run, its ships
// named by their place among those of the base, even when the same payload
// brings a ship new to the snapshot; it reads the states a record each
// would have given. A run cut short or naming a place beyond the ships held
// ends the payload, and its snapshot is not kept.
TEST(Snapshots, ARunOfDeltasReadsAsTheRecordsItReplacesAndABadOneIsNotKept)
{
    std::vector<State> fleet;
    for (const int id : {3, 5, 9, 12, 20, 31})
        fleet.push_back({id, 0, 50, 100, 0, {}, Vector3(100.0 * id, 200, 0), Vector3(40, -20, 0), 0});
    Snapshots withRuns, without;
    Player reader, other;
    reader.Read(Pack(withRuns, fleet, 0, Snapshots::Form::kRuns));
    other.Read(Pack(without, fleet, 0));
    withRuns.Acknowledge(reader.held.Newest());
    without.Acknowledge(other.held.Newest());

    std::vector<State> changed;
    for (const std::size_t i : {3, 0, 4, 1}) {
        State s = fleet[i];
        s.at = s.at + Vector3(2.5, -1.25, 0);
        s.heading = 10.0f * static_cast<float>(i);
        changed.push_back(s);
    }
    changed.push_back({4, 0, 50, 100, 0, {}, Vector3(50, 50, 0), Vector3(), 0}); // comes between the held
    const Bytes run = Pack(withRuns, changed, 33, Snapshots::Form::kRuns);
    const Bytes records = Pack(without, changed, 33);
    NetMessage header;
    const std::size_t headerSize = PackedBatch::Read(run.data(), run.size(), header);
    ASSERT_GT(headerSize, 0u);
    EXPECT_EQ(run[headerSize], PackedBatch::kShipDeltaRun);
    EXPECT_LT(run.size() + 4, records.size()) << "a tag and an id less for each ship";
    auto heard = reader.Read(run);
    auto expected = other.Read(records);
    std::ranges::sort(heard);
    std::ranges::sort(expected);
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(heard.size(), changed.size());
    EXPECT_EQ(reader.held.Newest(), 2);
    MessageBatch walked;
    walked.ParsePacked(run.data(), run.size());
    EXPECT_EQ(walked.Parsed(), walked.Count()) << "read past without snapshots";

    withRuns.Acknowledge(reader.held.Newest());
    const Bytes next = Pack(withRuns, changed, 66, Snapshots::Form::kRuns);
    ASSERT_EQ(next[headerSize], PackedBatch::kShipDeltaRun);
    Snapshots kept = reader.held;
    const Bytes cut(next.begin(), next.end() - 1);
    EXPECT_LT(reader.Read(cut).size(), changed.size());
    EXPECT_EQ(reader.held.Newest(), 2) << "cut short";
    Bytes beyond = next;
    beyond[headerSize + 2] |= 0x80; // the eighth place: seven ships are held
    reader.held = kept;
    EXPECT_TRUE(reader.Read(beyond).empty());
    EXPECT_EQ(reader.held.Newest(), 2) << "a place beyond the ships held";
    reader.held = kept;
    reader.Read(next);
    EXPECT_EQ(reader.held.Newest(), 3);
}

// A player that reads folded runs gets a report's header and deltas as one
// record, three bytes shorter than the header and its run. The coarse
// deltas leave it the velocity within half a unit a second and the heading
// within half a step of 1/1024 turn of the server's, however many reports
// a turning, speeding ship goes on for: each delta is taken against what
// the player holds. A folded header with no delta reads as the header.
TEST(Snapshots, AFoldedRunKeepsTheShipsCloseAndTheRoundingNeverAddsUp)
{
    std::vector<State> fleet;
    for (const int id : {3, 5, 9})
        fleet.push_back({id, 0, 50, 100, 0, {}, Vector3(300.0 * id, 200, 0), Vector3(40, -20, 0), 0});
    Snapshots folded, runs;
    Player reader, other;
    reader.Read(Pack(folded, fleet, 0, Snapshots::Form::kFolded));
    other.Read(Pack(runs, fleet, 0, Snapshots::Form::kRuns));
    for (std::uint32_t report = 1; report <= 120; ++report) {
        for (std::size_t i = 0; i < fleet.size(); ++i) {
            State& s = fleet[i];
            s.heading = std::fmod(s.heading + 12.1f * static_cast<float>(i + 1), 360.0f);
            s.moving = s.moving + Vector3(7.77, -3.3 * static_cast<double>(i), 0);
            s.at = s.at + s.moving * 0.033 + Vector3(0.4, -0.2, 0);
        }
        folded.Acknowledge(reader.held.Newest());
        runs.Acknowledge(other.held.Newest());
        const Bytes payload = Pack(folded, fleet, 33 * report, Snapshots::Form::kFolded);
        const Bytes longer = Pack(runs, fleet, 33 * report, Snapshots::Form::kRuns);
        ASSERT_EQ(payload[0], PackedBatch::kFoldedRun);
        EXPECT_LE(payload.size() + 3, longer.size()) << "report " << report;
        other.Read(longer);
        const auto heard = reader.Read(payload);
        ASSERT_EQ(heard.size(), fleet.size()) << "report " << report;
        ASSERT_EQ(reader.held.Newest(), folded.Newest());
        for (std::size_t i = 0; i < fleet.size(); ++i) {
            NetMessage got;
            ASSERT_TRUE(got.Parse(heard[i].data(), heard[i].size()));
            int id = 0;
            std::uint8_t flags = 0;
            float fuel = 0, tank = 0, heading = 0;
            signed char score = 0;
            AmmunitionCounts<std::uint8_t> counts {};
            Vector3 at, moving;
            got.GetShipState(id, flags, fuel, tank, score, counts, at, moving, heading);
            ASSERT_EQ(id, fleet[i].id);
            EXPECT_NEAR(at.x, fleet[i].at.x, 0.07) << "report " << report;
            EXPECT_NEAR(at.y, fleet[i].at.y, 0.07) << "report " << report;
            EXPECT_NEAR(moving.x, fleet[i].moving.x, 0.52) << "report " << report;
            EXPECT_NEAR(moving.y, fleet[i].moving.y, 0.52) << "report " << report;
            const double turn = std::remainder(static_cast<double>(heading - fleet[i].heading), 360.0);
            EXPECT_LE(std::fabs(turn), 0.18) << "report " << report;
        }
    }
    // Nothing to tell: the record is the header alone, and whole states after it stand.
    folded.Acknowledge(reader.held.Newest());
    const std::uint16_t before = reader.held.Newest();
    const Bytes quiet = Pack(folded, {{40, 0, 50, 100, 0, {}, Vector3(9, 9, 0), Vector3(), 0}}, 9999,
                             Snapshots::Form::kFolded);
    ASSERT_EQ(quiet[0], PackedBatch::kFoldedRun);
    EXPECT_EQ(quiet[6], 0) << "an empty map";
    EXPECT_EQ(reader.Read(quiet).size(), 1u);
    EXPECT_NE(reader.held.Newest(), before);
    MessageBatch walked;
    walked.ParsePacked(quiet.data(), quiet.size());
    EXPECT_EQ(walked.Parsed(), 2u) << "the header and the whole state";
    EXPECT_EQ(walked.Count(), 2u);
}

// A folded run that names no ship in a map of some bytes, that is cut short,
// or that names a place beyond the ships held is not kept.
TEST(Snapshots, ABadFoldedRunIsNotKept)
{
    std::vector<State> fleet = {{3, 0, 50, 100, 0, {}, Vector3(100, 200, 0), Vector3(40, -20, 0), 0},
                                {5, 0, 50, 100, 0, {}, Vector3(500, 200, 0), Vector3(40, -20, 0), 0}};
    Snapshots server;
    Player reader;
    reader.Read(Pack(server, fleet, 0, Snapshots::Form::kFolded));
    server.Acknowledge(reader.held.Newest());
    fleet[0].heading = 30.0f;
    fleet[1].moving = Vector3(50, 50, 0);
    const Bytes good = Pack(server, fleet, 33, Snapshots::Form::kFolded);
    ASSERT_EQ(good[6], 1) << "one byte of map";
    const Snapshots kept = reader.held;
    Bytes none = good;
    none[7] = 0;
    Bytes beyond = good;
    beyond[7] |= 0x04;
    for (const Bytes& bad : {none, beyond, Bytes(good.begin(), good.end() - 1)}) {
        reader.held = kept;
        reader.Read(bad);
        EXPECT_EQ(reader.held.Newest(), 1);
    }
    reader.held = kept;
    EXPECT_EQ(reader.Read(good).size(), 2u);
    EXPECT_EQ(reader.held.Newest(), 2);
}

} // namespace
