#include <arpa/inet.h>
#include <enet/enet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <numeric>

#include "net/MessageBatch.h"
#include "net/Snapshots.h"
#include "platform/SessionClient.h"
#include "relay/CoastSteps.h"
#include "relay/UdpRelay.h"
#include "support/ServerSessionTest.h"
#include "world/GameKey.h"
#include "world/Map.h"
#include "world/ShipInterpolation.h"
#include "world/Torus.h"

namespace {

// How far a 100 ms step of a coast may stray from its coast's median beyond
// a unit either way, the wire's grain and a busy machine's late frame at the
// slow pace robots coast.
#ifdef QR_SANITIZED
constexpr double kStutterBound = 0.6;
#else
constexpr double kStutterBound = 0.1;
#endif
constexpr double kGraceUnits = 1.0;

double Apart(const Vector3& a, const Vector3& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

std::uint16_t BigEndian16(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

struct Payload {
    bool reliable = false;
    std::uint32_t sequence = 0; // of a reliable one: channel << 16 | its number
    std::vector<std::uint8_t> bytes;
};

// The whole payloads sent in one ENet datagram, read off the wire as they
// leave the server. Fragments of larger ones are left out.
std::vector<Payload> Payloads(const std::uint8_t* data, std::size_t size)
{
    std::vector<Payload> payloads;
    if (size < 2)
        return payloads;
    const std::uint16_t peer = BigEndian16(data);
    if (peer & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED)
        return payloads;
    std::size_t at = peer & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME ? sizeof(ENetProtocolHeader) : 2;
    while (at + sizeof(ENetProtocolCommandHeader) <= size) {
        const std::uint8_t command = data[at] & ENET_PROTOCOL_COMMAND_MASK;
        const std::size_t fixed = command < ENET_PROTOCOL_COMMAND_COUNT ? enet_protocol_command_size(command) : 0;
        if (fixed == 0 || at + fixed > size)
            break;
        // Every command that carries data but the reliable one has its length
        // after a second 16-bit field.
        const bool reliable = command == ENET_PROTOCOL_COMMAND_SEND_RELIABLE;
        const bool carries = (command >= ENET_PROTOCOL_COMMAND_SEND_RELIABLE &&
                              command <= ENET_PROTOCOL_COMMAND_SEND_UNSEQUENCED) ||
                             command == ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE_FRAGMENT;
        const std::size_t length =
            carries ? BigEndian16(data + at + (reliable ? offsetof(ENetProtocolSendReliable, dataLength)
                                                        : offsetof(ENetProtocolSendUnreliable, dataLength)))
                    : 0;
        if (at + fixed + length > size)
            break;
        if (reliable || command == ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE) {
            const std::uint32_t channel = data[at + offsetof(ENetProtocolCommandHeader, channelID)];
            const std::uint32_t number =
                BigEndian16(data + at + offsetof(ENetProtocolCommandHeader, reliableSequenceNumber));
            payloads.push_back({reliable, channel << 16 | number, {data + at + fixed, data + at + fixed + length}});
        }
        at += fixed + length;
    }
    return payloads;
}

// What the server sent the player, read by the relay on its way through:
// each ship's state as the server last reported it, as it left, and when
// payloads reached the player.
class ServerReports {
public:
    // A ship's state as a report gave it, and the wall tick it was seen.
    struct Seen {
        std::uint32_t at = 0;
        Vector3 position;
        Vector3 velocity;
        // Where the report puts the ship at a later tick.
        Vector3 MovedOn(std::uint32_t when) const { return position + velocity * ((when - at) / 1000.0); }
    };
    struct Ship : Seen {
        int reports = 0;
        int reliable = 0; // of the reports, those in reliable payloads
    };

    void Sent(const std::uint8_t* data, std::size_t size)
    {
        const std::uint32_t now = platform::TickCount();
        for (const Payload& payload : Payloads(data, size)) {
            // A reliable payload sent again is old news.
            if (payload.reliable && !FirstSight(sentSeen, payload.sequence))
                continue;
            {
                std::lock_guard<std::mutex> lock(guard);
                arrivals.push_back(now);
            }
            MessageBatch batch;
            batch.ParsePacked(payload.bytes.data(), payload.bytes.size());
            // Every snapshot passes here, so every delta finds its base.
            batch.UseSnapshots(&sentStates);
            for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
                if (message->Kind() != kMsgShipState)
                    continue;
                int id = 0;
                std::uint8_t flags = 0;
                AmmunitionCounts<std::uint8_t> counts {};
                float fuel = 0.0f, maxFuel = 0.0f, heading = 0.0f;
                signed char score = 0;
                Vector3 position, velocity;
                message->GetShipState(id, flags, fuel, maxFuel, score, counts, position, velocity, heading);
                std::lock_guard<std::mutex> lock(guard);
                Ship& ship = ships[id];
                static_cast<Seen&>(ship) = {now, position, velocity};
                ++ship.reports;
                ship.reliable += payload.reliable;
                histories[id].push_back(ship);
            }
        }
    }

    void Delivered(const std::uint8_t* data, std::size_t size)
    {
        const std::uint32_t now = platform::TickCount();
        for (const Payload& payload : Payloads(data, size)) {
            if (payload.reliable && !FirstSight(deliveredSeen, payload.sequence))
                continue;
            std::lock_guard<std::mutex> lock(guard);
            deliveries.push_back(now);
        }
    }

    Ship Of(int id)
    {
        std::lock_guard<std::mutex> lock(guard);
        return ships[id];
    }

    // Where the server had the ship at a moment: its last report before,
    // moved on by its velocity, if that report is fresh.
    bool At(int id, std::uint32_t at, std::uint32_t freshMs, Vector3& where)
    {
        std::lock_guard<std::mutex> lock(guard);
        const std::vector<Seen>& seen = histories[id];
        const auto after = SeenAfter(seen, at);
        if (after == seen.begin() || after == seen.end() || at - std::prev(after)->at > freshMs)
            return false;
        where = std::prev(after)->MovedOn(at);
        return true;
    }

    // Whether every report of the ship sent between from and to, and the
    // one before, gave it the same velocity: it coasted straight all along.
    bool Steady(int id, std::uint32_t from, std::uint32_t to)
    {
        std::lock_guard<std::mutex> lock(guard);
        const std::vector<Seen>& seen = histories[id];
        auto at = SeenAfter(seen, from);
        if (at == seen.begin() || at == seen.end() || std::prev(seen.end())->at < to)
            return false;
        const Vector3 velocity = std::prev(at)->velocity;
        for (; at != seen.end() && at->at - from <= to - from; ++at) {
            if (Apart(at->velocity, velocity) > 1.0)
                return false;
        }
        return true;
    }

    // The longest the player went without news between from and to while
    // news was on its way: a silence starts when the server sends after the
    // last delivery, so a stall of the whole process, the server's included,
    // is not blamed on the network.
    std::uint32_t LongestGap(std::uint32_t from, std::uint32_t to)
    {
        std::lock_guard<std::mutex> lock(guard);
        const auto silence = [&](std::uint32_t last, std::uint32_t at) -> std::uint32_t {
            const auto sent = std::upper_bound(arrivals.begin(), arrivals.end(), last);
            return sent != arrivals.end() && *sent <= at ? at - *sent : 0;
        };
        std::uint32_t last = from;
        std::uint32_t longest = 0;
        for (const std::uint32_t at : deliveries) {
            if (at - from > to - from)
                continue;
            longest = std::max(longest, silence(last, at));
            last = at;
        }
        return std::max(longest, silence(last, to));
    }

private:
    static std::vector<Seen>::const_iterator SeenAfter(const std::vector<Seen>& seen, std::uint32_t t)
    {
        return std::upper_bound(seen.begin(), seen.end(), t, [](std::uint32_t at, const Seen& s) { return at < s.at; });
    }

    bool FirstSight(std::deque<std::uint32_t>& recent, std::uint32_t sequence)
    {
        std::lock_guard<std::mutex> lock(guard);
        if (std::find(recent.begin(), recent.end(), sequence) != recent.end())
            return false;
        recent.push_back(sequence);
        if (recent.size() > 512)
            recent.pop_front();
        return true;
    }

    std::mutex guard;
    Snapshots sentStates;
    std::deque<std::uint32_t> sentSeen;
    std::deque<std::uint32_t> deliveredSeen;
    std::map<int, Ship> ships;
    std::map<int, std::vector<Seen>> histories;
    std::vector<std::uint32_t> arrivals; // at the relay, from the server
    std::vector<std::uint32_t> deliveries;
};

// A player's hands over a few seconds: short bursts of thrust while
// turning either way, firing, a shielded run that bounces off what walls
// it meets, and a long coast.
std::vector<std::int32_t> HeldAt(std::uint32_t ms)
{
    static const std::pair<std::uint32_t, std::vector<std::int32_t>> phases[] = {
        {400, {kKeyThrust, kKeyTurnLeft}}, {1000, {kKeyTurnLeft, kKeyFire}}, {1300, {kKeyThrust, kKeyShields}},
        {2000, {kKeyTurnRight, kKeyFire}}, {2300, {kKeyThrust, kKeyTurnRight}}};
    for (const auto& [until, held] : phases) {
        if (ms % 4500 < until)
            return held;
    }
    return {0};
}

// 24 s, or the seconds QUILLROCK_FLIGHT_SECONDS asks for a longer measure.
std::uint32_t FlightMs()
{
    const char* asked = std::getenv("QUILLROCK_FLIGHT_SECONDS");
    const long seconds = asked ? std::strtol(asked, nullptr, 10) : 0;
    return seconds > 0 && seconds <= 3600 ? static_cast<std::uint32_t>(seconds) * 1000 : 24000;
}

// The real server with robots, a poor network between it and the player's
// real client: the client is pointed at the relay's port, the relay at the
// server's.
class BadNetwork : public ServerSessionTest {
protected:
    static constexpr std::uint32_t kSeed = 20261206;
    // The own ship coasts once its keys have been off this long.
    static constexpr std::uint32_t kCoastAfterMs = 300;

    virtual UdpRelay::Faults Network() const { return {}; }

    void SetUp() override
    {
        ServerSessionTest::SetUp();
        const ServerOptions options = ServerThread::EndlessArena(TestPort(47000), "Far Server", 4);
        StartServer(options);
        relay = std::make_unique<UdpRelay>(Network(), kSeed);
        std::string error;
        ASSERT_TRUE(relay->Open(0, htonl(INADDR_LOOPBACK), options.port, error)) << error;
        relay->SetTaps(
            [this](UdpRelay::Direction direction, const std::uint8_t* data, std::size_t size) {
                if (direction == UdpRelay::Direction::ToClient)
                    reports.Sent(data, size);
            },
            [this](UdpRelay::Direction direction, const std::uint8_t* data, std::size_t size) {
                if (direction == UdpRelay::Direction::ToClient)
                    reports.Delivered(data, size);
            });
        relayThread = std::thread([this] { relay->Run(stop); });
    }

    void TearDown() override
    {
        server.reset();
        stop = true;
        if (relayThread.joinable())
            relayThread.join();
        relay.reset();
        ServerSessionTest::TearDown();
    }

    // One frame of the game's loop: held keys out, the server's news in,
    // the own ship flown ahead, the world moved on.
    void Frame(const std::vector<std::int32_t>& held)
    {
        NetMessage control;
        control.SetControl(local->GetId(), held.data(), static_cast<int>(held.size()));
        client->Send(control);
        client->DoWork(NetClient::kWorkBudget);
        const std::uint32_t now = platform::TickCount();
        const int ms = static_cast<int>(now - lastFrame);
        const HeldKeys keys = HeldKeys::FromCodes(held.data(), static_cast<int>(held.size()));
        world->SteerFirstShip(local->IsAlive() && client->IsConnected() &&
                              client->Prediction().Step(*local, keys, ms, now, world->GetMap()));
        world->Update(ms);
        lastFrame = now;
        // A wall met, a push: the own ship's drawn velocity changed.
        if (held != std::vector<std::int32_t> {0} || Apart(local->Velocity(), lastVelocity) > 1.0)
            lastSteered = now;
        lastVelocity = local->Velocity();
        for (const Ship* ship : world->Ships()) {
            if (ship->IsAlive() && local->IsAlive())
                coasts.Drawn(ship->GetId(), world->Now(), now, ship->Position(),
                             ship != local || now - lastSteered >= kCoastAfterMs);
            else
                coasts.Gone(ship->GetId());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(6));
    }

    // How the others move between their reports: the longest step beyond
    // what their velocity explains in 10 ms of a frame, and how far they are drawn
    // from where the server had them a delay ago, for ships alive a second or more. A
    // frame whose news changed a velocity at once (a rebound, a push) is a
    // turn the server made, not a jump of the drawing; nor is a spawn.
    void Glide(std::uint32_t now)
    {
        // A spawn puts everything where it was last reported.
        if (!local->IsAlive()) {
            others.clear();
            return;
        }
        bool snapped = false;
        for (const Ship* ship : world->Ships())
            snapped = snapped || (ship != local && ship->IsAlive() && !others[ship->GetId()].aliveSince);
        for (const Ship* ship : world->Ships()) {
            Other& other = others[ship->GetId()];
            if (ship == local || !ship->IsAlive()) {
                other.aliveSince = 0;
                continue;
            }
            if (!other.aliveSince)
                other.aliveSince = now;
            const ServerReports::Ship truth = reports.Of(ship->GetId());
            const bool turned = Folded(ship->Velocity() - other.velocity) > 100.0;
            if (now - other.aliveSince >= 1000 && other.seenAt && truth.reports && now - truth.at <= 200 && !turned &&
                !snapped) {
                longestGlideStep = std::max(longestGlideStep, StepBeyond(*ship, other.seen, other.seenAt, now));
                // Drawn a delay behind the reports, which the network's one way delays too.
                const auto behind = Network().delayMs +
                                    static_cast<std::uint32_t>(world->Interpolation().DelayMs(ship->GetId()));
                Vector3 then;
                if (reports.At(ship->GetId(), now - behind, 200, then))
                    glideDistances.push_back(Folded(then - ship->Position()));
            }
            other.seen = ship->Position();
            other.velocity = ship->Velocity();
            other.seenAt = now;
        }
    }

    // The length of a difference on the wrapping map.
    double Folded(const Vector3& d) const
    {
        const Map* map = world->GetMap();
        return std::hypot(FoldDifference(d.x, map->WorldWidth()), FoldDifference(d.y, map->WorldHeight()));
    }

    // How far the ship was drawn beyond what its velocity explains since it
    // was seen, in units per 10 ms of the frame.
    double StepBeyond(const Ship& ship, const Vector3& seen, std::uint32_t seenAt, std::uint32_t now) const
    {
        const double seconds = (now - seenAt) / 1000.0;
        return Folded(ship.Position() - seen - ship.Velocity() * seconds) / std::max(1.0, seconds * 100.0);
    }

    struct Other {
        std::uint32_t aliveSince = 0;
        std::uint32_t seenAt = 0;
        Vector3 seen;
        Vector3 velocity;
    };
    // The drawn steps over each 100 ms of a straight coast, for the own
    // ship and the others, relative to their coast's median: printed, and
    // held to bounds no smoothing should leave.
    void ExpectEvenCoasts()
    {
        const Map* map = world->GetMap();
        const int id = local->GetId();
        std::size_t measured = 0;
        std::printf("  reports measured %.1f ms early or late on average\n", client->Prediction().JitterMs());
        ShipInterpolation& interpolation = world->Interpolation();
        for (const Ship* ship : world->Ships()) {
            if (ship != local)
                std::printf("  ship %d drawn %.0f ms behind its reports, which arrive %.1f ms off their pace\n",
                            ship->GetId(), interpolation.DelayMs(ship->GetId()), interpolation.JitterMs());
        }
        for (const bool own : {true, false}) {
            const auto measure = [&](double grace) {
                return coasts.Measure([&](int ship, std::uint32_t from, std::uint32_t to) {
                    return (ship == id) == own && reports.Steady(ship, from, to);
                }, kCoastAfterMs, kCoastAfterMs, map->WorldWidth(), map->WorldHeight(), grace);
            };
            const CoastSteps::Figures figures = measure(0.0);
            const CoastSteps::Figures held = measure(kGraceUnits);
            std::printf("  %s coasting straight: %zu steps in %zu coasts, median %.1f units per 100 ms; against "
                        "their coast's median min %+.0f%%, 5th %+.0f%%, 95th %+.0f%%, max %+.0f%% (beyond the "
                        "grace: 5th %+.0f%%, 95th %+.0f%%)\n",
                        own ? "own ship" : "the others", figures.steps, figures.coasts, figures.medianStep,
                        figures.lowest * 100.0, figures.low5 * 100.0, figures.high95 * 100.0,
                        figures.highest * 100.0, held.low5 * 100.0, held.high95 * 100.0);
            measured += figures.steps;
            // Runs: the own ship within 4 % either way, drawn ahead by each
            // report's lateness against its place by distance, where the
            // steps went 50 % astray when every lateness showed and 11 %
            // while it was only spread out; the others within 3 %, drawn
            // between reports placed by their distance. The sanitizer's own
            // slowness makes frames uneven (runs: up to 40 %); the plain
            // build holds the bound that tells the fault.
            if (held.steps >= 20) {
                EXPECT_GT(held.low5, -kStutterBound) << (own ? "the own ship" : "another ship") << " stuttered";
                EXPECT_LT(held.high95, kStutterBound) << (own ? "the own ship" : "another ship") << " stuttered";
            }
        }
        // How often a robot lets a ship coast varies; none at all means
        // the measure itself is broken.
        EXPECT_GT(measured, 0u) << "ships coasted";
    }

    std::map<int, Other> others;
    CoastSteps coasts;
    std::uint32_t lastSteered = 0;
    Vector3 lastVelocity;
    double longestGlideStep = 0.0;
    std::vector<double> glideDistances;

    // Searches through the relay and joins, as a player would try again
    // when a lost datagram made the first try fail; the flight starts then.
    void Join()
    {
        const std::uint32_t asked = platform::TickCount();
        bool joined = false;
        for (int attempt = 0; attempt < 3 && !joined; ++attempt)
            joined = ServerSessionTest::Join("Far Server", relay->Port(), 15000);
        ASSERT_TRUE(joined) << "joined through the relay";
        std::printf("joined through the relay in %u ms\n", platform::TickCount() - asked);
        ASSERT_NE(world->GetMap(), nullptr);
        start = lastFrame = lastPing = platform::TickCount();
    }

    // Whether the flight goes on; if so, flies its next frame, with a ping
    // each second, and returns when the frame began.
    bool Fly(std::uint32_t& now)
    {
        if (platform::TickCount() - start >= flightMs || client->IsTerminated())
            return false;
        now = platform::TickCount();
        Frame(HeldAt(now - start));
        if (now - lastPing >= 1000) {
            client->SendPing();
            lastPing = now;
        }
        return true;
    }

    std::unique_ptr<UdpRelay> relay;
    ServerReports reports;
    std::atomic<bool> stop {false};
    std::thread relayThread;
    const std::uint32_t flightMs = FlightMs();
    std::uint32_t start = 0, lastFrame = 0, lastPing = 0;
};

TEST_F(BadNetwork, APlayerFliesThroughDelayLossAndReorderingAndItsShipStaysWhereTheServerHasIt)
{
    ASSERT_NO_FATAL_FAILURE(Join());
    const double width = world->GetMap()->WorldWidth();
    const double height = world->GetMap()->WorldHeight();
    const int id = local->GetId();

    // Only a ship that has been alive a while on both ends is compared: a
    // death or a respawn reaches the player a delay late, by design.
    constexpr std::uint32_t kSettleMs = 1000;
    constexpr std::uint32_t kFreshMs = 200;
    std::uint32_t now = start, aliveSince = start, aliveMs = 0, lastFrameAt = start, ownSeenAt = 0;
    Vector3 ownSeen, ownVelocity;
    double longestOwnStep = 0.0;
    int ownReports = 0, reportsSeen = reports.Of(id).reports, deaths = 0;
    bool wasAlive = true;
    std::vector<double> distances;
    std::vector<std::pair<std::uint32_t, Vector3>> drawn;
    double speeds = 0.0;
    while (Fly(now)) {
        Glide(now);
        const bool alive = local->IsAlive();
        if (alive && !wasAlive)
            aliveSince = now;
        deaths += wasAlive && !alive;
        wasAlive = alive;
        const ServerReports::Ship truth = reports.Of(id);
        if (alive) {
            aliveMs += now - lastFrameAt;
            ownReports += truth.reports - reportsSeen;
        }
        reportsSeen = truth.reports;
        lastFrameAt = now;
        // How the own ship is drawn from frame to frame: a step beyond its
        // velocity is a snap, unless the frame turned it at once (a bounce).
        if (alive && now - aliveSince >= kSettleMs && ownSeenAt && (local->Velocity() - ownVelocity).Length() <= 100.0)
            longestOwnStep = std::max(longestOwnStep, StepBeyond(*local, ownSeen, ownSeenAt, now));
        ownSeen = local->Position();
        ownVelocity = local->Velocity();
        ownSeenAt = alive ? now : 0;
        if (!alive || now - aliveSince < kSettleMs || truth.reports == 0 || now - truth.at > kFreshMs)
            continue;
        // Where the server has the ship now: its last report moved on by
        // its velocity for the moments since.
        distances.push_back(Folded(truth.MovedOn(platform::TickCount()) - local->Position()));
        speeds += std::hypot(truth.velocity.x, truth.velocity.y);
        drawn.push_back({now, local->Position()});
    }
    // The own ship flies ahead of the server by the keys still on their way:
    // it is drawn where the server will have it once they arrive.
    const std::uint32_t oneWay = UdpRelay::Faults {}.delayMs;
    std::vector<double> errors;
    for (const auto& [at, position] : drawn) {
        Vector3 there;
        if (reports.At(id, at + oneWay, kFreshMs, there))
            errors.push_back(Folded(there - position));
    }
    std::sort(errors.begin(), errors.end());
    const std::uint32_t gap = reports.LongestGap(start, platform::TickCount());
    const UdpRelay::Counts counts = relay->GetCounts();
    const ServerReports::Ship own = reports.Of(id);
    // Each of these frames was also measured from where the server has the
    // ship now: one guard holds for both.
    ASSERT_GT(errors.size(), 250u) << "enough flight was compared";
    const double mean = std::accumulate(distances.begin(), distances.end(), 0.0) / static_cast<double>(distances.size());
    std::sort(distances.begin(), distances.end());
    const double median = distances[distances.size() / 2];
    const double farthest = distances.back();
    const double speed = speeds / static_cast<double>(distances.size());
    std::printf("through the relay on a %.0f x %.0f map: %zu samples, distance mean %.1f median %.1f max %.1f "
                "units at a mean speed of %.0f units/s\n",
                width, height, distances.size(), mean, median, farthest, speed);
    const double errorMedian = errors[errors.size() / 2];
    std::printf("  from where the server has it a ping later: median %.1f, 90th %.1f, max %.1f units; longest step "
                "beyond its velocity %.1f units in 10 ms\n",
                errorMedian, errors[errors.size() * 9 / 10], errors.back(), longestOwnStep);
    ASSERT_GT(glideDistances.size(), 250u);
    std::sort(glideDistances.begin(), glideDistances.end());
    std::printf("  the others: longest step beyond their velocity %.1f units in 10 ms; from where the server had "
                "them a delay ago median %.1f, max %.1f units\n",
                longestGlideStep, glideDistances[glideDistances.size() / 2], glideDistances.back());
    const OwnShots& shots = client->Prediction().Shots();
    std::printf("  own shots shown at once: %u became the server's, %u gave way to the server's fired otherwise, %u "
                "went without it\n", shots.Claimed(), shots.Replaced(), shots.Unclaimed());
    std::printf("  %.1f own states a second from the server while alive, %d of %d in reliable batches; longest gap "
                "between payloads %u ms; ping %d ms; %d deaths\n",
                aliveMs ? ownReports * 1000.0 / aliveMs : 0.0, own.reliable, own.reports, gap, client->GetPing(),
                deaths);
    std::printf("  relay: received %" PRIu64 ", lost %" PRIu64 ", duplicated %" PRIu64 ", reordered %" PRIu64
                ", delivered %" PRIu64 "\n", counts.received, counts.lost, counts.duplicated, counts.reordered,
                counts.delivered);

    EXPECT_FALSE(client->IsTerminated()) << "the session held";
    EXPECT_GT(counts.lost, 0u);
    EXPECT_GT(counts.duplicated, 0u);
    EXPECT_GT(counts.reordered, 0u);
    EXPECT_LT(gap, platform::SessionClient::kSilenceLimit) << "news kept coming, never a silence the player gives up on";
    EXPECT_GT(speed, 50.0) << "the ship flew";
    // The player's ship flies ahead of the server by the keys on their way,
    // some speed times a delay, and a misjudged bounce is eased in. Ship
    // states travel on their own, unreliably, so a lost reliable batch never
    // holds them back. Runs measured a median near 30 from where the server
    // has the ship and near 4 from where it will have it a ping later (55
    // with the prediction off); a client that lost track of its ship would
    // leave these.
    EXPECT_EQ(own.reliable, 0) << "own states never wait behind a lost batch";
    EXPECT_LT(median, 150.0);
    EXPECT_LT(mean, 200.0);
    EXPECT_LT(farthest, 450.0);
    EXPECT_LT(errorMedian, 16.0) << "drawn where the server will have it";
    // Disagreements are eased in a share a frame (runs: 3 to 12 units in
    // 10 ms beyond the ship's velocity), never snapped.
    EXPECT_LT(longestOwnStep, 40.0) << "the own ship snapped";
    // The others are drawn between their reports a delay late: they never
    // step more than a little beyond their velocity (runs: 0.3 to 0.6 units
    // in 10 ms), and are where the server had them then (median near 0.5).
    EXPECT_LT(longestGlideStep, 6.0) << "another ship jumped";
    // Own shots (runs: 12 to 24 shown and taken over by the server's, 0 to
    // 10 of them given way to a server's shot that a robot's push or a
    // bounce sent from elsewhere, 0 to 1 the server never fired).
    const std::uint32_t answered = shots.Claimed() + shots.Replaced();
    EXPECT_GT(answered, 10u) << "shots shown at once";
    EXPECT_LE(shots.Unclaimed() * 4, answered) << "shots shown that the server never fired";
    EXPECT_LT(glideDistances[glideDistances.size() / 2], 8.0) << "others drawn where the server had them";
    ExpectEvenCoasts();
}

// The same flight with the relay passing everything on at once.
class Lan : public BadNetwork {
protected:
    UdpRelay::Faults Network() const override { return {0, 0, 0.0, 0.0, 0.0}; }
};

TEST_F(Lan, ShipsCoastingStraightAreDrawnAtAnEvenPace)
{
#ifdef QR_SANITIZED
    GTEST_SKIP() << "an even pace is a time, which a sanitizer build cannot tell; the flight above runs the same code";
#endif
    ASSERT_NO_FATAL_FAILURE(Join());
    for (std::uint32_t now = 0; Fly(now);) {}
    std::printf("on a LAN:\n");
    ExpectEvenCoasts();
}

} // namespace
