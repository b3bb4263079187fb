#include "net/OwnShipPrediction.h"

#include <algorithm>
#include <cmath>

#include "world/Map.h"
#include "world/ShipControls.h"
#include "world/ShipInterpolation.h"
#include "world/Torus.h"
#include "world/World.h"

namespace {

// The shorter way round from one heading to another, in -180..180.
float Towards(float from, float to)
{
    return std::remainder(to - from, 360.0f);
}

// The shorter way from one point of the torus to another.
Vector3 Between(const Vector3& from, const Vector3& to, const Map* map)
{
    const double width = map ? map->WorldWidth() : 0.0;
    const double height = map ? map->WorldHeight() : 0.0;
    return Vector3(FoldDifference(to.x - from.x, width), FoldDifference(to.y - from.y, height), 0.0);
}

} // namespace

void OwnShipPrediction::SetEnabled(bool on)
{
    enabled = on;
    Reset();
}

void OwnShipPrediction::Reset()
{
    known = false;
    spawned = false;
    offset = Vector3();
    turnOffset = 0.0f;
    lateMs = 0.0;
    lead = Vector3();
    sent.clear();
    shots.Clear();
    // The next map may take this one's place in memory: its walls are learnt anew.
    walls = Walls();
}

void OwnShipPrediction::OnSpawn(std::uint32_t at)
{
    Reset();
    spawned = true;
    spawnedAt = at;
}

bool OwnShipPrediction::Step(Ship& ship, const HeldKeys& keys, int ms, std::uint32_t now, const Map* map)
{
    if (!enabled || ms < 0)
        return false;
    while (!sent.empty() && now - sent.front().at > 2 * kLongestRoundTripMs)
        sent.pop_front();
    sent.push_back({now, keys, ms});
    if (!known)
        return false;
    Ship& predicted = Predicted(ship, map);
    Ease(ms, std::hypot(predicted.Velocity().x, predicted.Velocity().y));
    ship.SetPosition(predicted.Position() + lead + offset);
    if (map)
        ship.Wrap(map->WorldWidth(), map->WorldHeight());
    ship.SetTarget(ship.Position());
    ship.SetVelocity(predicted.Velocity());
    ship.SetHeading(predicted.GetHeading() + turnOffset);
    // Shots leave from where the server will have the ship, not from
    // where a disagreement is still being eased out of the drawing; what
    // they spend of the ghost, the next frame's replay puts back.
    shots.Step(predicted, keys, ms, now, report.roundTripMs, map, walls);
    return true;
}

void OwnShipPrediction::OnReport(Ship& ship, const Vector3& position, const Vector3& velocity, float heading,
                                 std::uint32_t now, int roundTripMs, const Map* map)
{
    // A wreck stays where it went down, as the world keeps it.
    if (!enabled || !ship.IsAlive()) {
        ship.SetHeading(heading);
        return;
    }
    // A report that turned the ship's velocity (a bounce, a push) tells of
    // more than the network's timing, and what it set right is eased in
    // before the coast is smoothed again.
    const bool steady = known && std::hypot(velocity.x - report.velocity.x, velocity.y - report.velocity.y) <= 1.0;
    steadyReports = steady ? steadyReports + 1 : 0;
    lateMs = known ? Lateness(position, velocity, now, map) : 0.0;
    // Only a coast tells what the lateness kept from the replay: under
    // thrust it moved which keys count as heard.
    report = {position, velocity, heading, ship.GetFuel(), ship.GetMaxFuel(), ship.GetFlags(), now,
              Horizon(roundTripMs, now)};
    const Ship& predicted = Predicted(ship, map);
    // A stalled frame is no frame's grain: no more than a stray is drawn ahead.
    const double leadMs = std::clamp(lateMs - earlyMs, -kMostStrayMs, kMostStrayMs);
    lead = steady ? velocity * (leadMs / 1000.0) : Vector3();
    const Vector3 off = Between(predicted.Position() + lead, ship.Position(), map);
    const Vector3 replayed = Between(predicted.Position(), ship.Position(), map);
    const float turnOff = Towards(predicted.GetHeading(), ship.GetHeading());
    if (!known || std::hypot(replayed.x, replayed.y) > kJumpUnits || std::fabs(turnOff) > kJumpDegrees) {
        offset = Vector3();
        turnOffset = 0.0f;
        lead = Vector3();
        ship.SetPosition(predicted.Position());
        ship.SetTarget(predicted.Position());
        ship.SetHeading(predicted.GetHeading());
        known = true;
        return;
    }
    offset = off;
    turnOffset = turnOff;
}

double OwnShipPrediction::Lateness(const Vector3& position, const Vector3& velocity, std::uint32_t now,
                                   const Map* map)
{
    const double arrived = static_cast<std::int32_t>(now - report.at);
    // Along the mean of the two velocities, as under a steady thrust.
    const std::optional<double> travelled =
        ShipInterpolation::Travelled(Between(report.position, position, map), (report.velocity + velocity) * 0.5);
    // Unless the distance tells, the report came as late as the one before.
    double late = lateMs;
    if (travelled && std::fabs(*travelled - arrived) <= kMostStrayMs) {
        late += arrived - *travelled;
        jitterMs += (std::min(std::fabs(late), kMostStrayMs) - jitterMs) * kJitterWeight;
    }
    // The timeline follows the arrivals a little: a late report moves it
    // later. Past the farthest stray it lost them (a stall) and starts anew.
    late -= late * kFollowShare;
    return std::fabs(late) <= kMostStrayMs ? late : 0.0;
}

int OwnShipPrediction::Horizon(int roundTripMs, std::uint32_t now)
{
    const double measured = std::clamp(roundTripMs, 0, static_cast<int>(kLongestRoundTripMs));
    // A new measure of the round trip would move the ship ahead or back by
    // its speed times the change: the horizon follows it at an even pace.
    const double most = kEvenShare * static_cast<std::int32_t>(now - horizonAt);
    horizonMs = known ? std::clamp(measured, horizonMs - most, horizonMs + most) : measured;
    horizonAt = now;
    return static_cast<int>(std::lround(horizonMs));
}

void OwnShipPrediction::GuardShots(World& world, std::uint32_t now)
{
    if (!enabled)
        return;
    if (const Map* map = world.GetMap(); map && walls.Of() != map)
        walls.Learn(*map);
    shots.Guard(world, walls, now);
}

void OwnShipPrediction::Ease(int ms, double speed)
{
    const float frames = static_cast<float>(ms) / 10.0f;
    const float share = std::min(1.0f, kEaseShare * frames);
    const double length = std::hypot(offset.x, offset.y);
    // What the jitter explains of a coast is spread out evenly; only the
    // excess is eased in at the usual pace. Under thrust a disagreement is
    // more likely the keys' timing than the network's.
    // Half a server step of it is the replay's own grain, which the usual
    // easing keeps to.
    const double jitter = std::max(0.0, jitterMs - kServerStepMs / 2.0);
    const bool steady = coasting && steadyReports >= kSteadyReports;
    const double band = steady ? kJitterBand * speed * jitter / 1000.0 : 0.0;
    const double even = kEvenShare * speed * ms / 1000.0 + std::max(0.0, length - band) * share;
    // A steady coast is never hurried or held back by more than a share of
    // its pace for what a report later or earlier than most explains: what
    // is left waits for the next frames. More than that is news, eased as
    // usual.
    const bool lateness = steady && length <= kLateBand * band;
    const double most = lateness ? kCoastMostShare * speed * ms / 1000.0 : kEaseMostUnits * frames;
    const double taken = std::min({length * share, most, even});
    if (length > 0.0)
        offset = offset * (1.0 - taken / length);
    const float turned = std::min(std::fabs(turnOffset) * share, kEaseMostDegrees * frames);
    turnOffset -= std::copysign(turned, turnOffset);
}

Ship& OwnShipPrediction::Predicted(const Ship& shown, const Map* map)
{
    if (ghost.GetShipType() != shown.GetShipType())
        ghost.SetShipType(shown.GetShipType());
    if (map && walls.Of() != map)
        walls.Learn(*map);
    ghost.ForceRespawn(static_cast<float>(report.position.x), static_cast<float>(report.position.y));
    ghost.SetPosition(report.position);
    ghost.SetVelocity(report.velocity);
    ghost.SetHeading(report.heading);
    ghost.SetMaxFuel(report.maxFuel);
    ghost.SetFuel(report.fuel);
    ghost.SetFlags(report.flags);
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i)
        ghost.SetRounds(AmmunitionAt(i), shown.Rounds(AmmunitionAt(i)));
    // The server had the keys sent up to a round trip before the report came.
    const std::uint32_t heard = report.at - static_cast<std::uint32_t>(report.roundTripMs);
    // The free shield of a new ship, as much of it as was left at the
    // report: spawn and report each came half a round trip late.
    const int sinceSpawn = std::max(0, static_cast<std::int32_t>(report.at - spawnedAt));
    ShipControls controls(spawned ? std::max(0, ShipControls::kSpawnShieldMs - sinceSpawn) : 0);
    // In the server's steps, not the frames': where a step ends decides
    // how deep into a wall the ship gets, and so which way it rebounds.
    // The shots fired here since the server heard are paid for as it will
    // pay for them; the replay itself fires none.
    shots.ChargeSince(ghost, heard);
    int pending = 0;
    const HeldKeys* held = nullptr;
    earlyMs = 0;
    coasting = true;
    for (const Sent& keys : sent) {
        if (static_cast<std::int32_t>(keys.at - heard) <= 0)
            continue;
        // The frame the server heard up to in is flown whole, from before
        // the moment: the drawing takes that back, the replay keeps the
        // keys' own steps.
        if (!held)
            earlyMs = std::max(0, keys.ms - static_cast<std::int32_t>(keys.at - heard));
        held = &keys.keys;
        coasting = coasting && !held->Holds(kKeyThrust) && !held->Holds(kKeyRepulsor);
        for (pending += keys.ms; pending >= kServerStepMs; pending -= kServerStepMs)
            Fly(controls, *held, kServerStepMs, map);
    }
    if (held && pending > 0)
        Fly(controls, *held, pending, map);
    return ghost;
}

void OwnShipPrediction::Fly(ShipControls& controls, const HeldKeys& keys, int ms, const Map* map)
{
    controls.Step(ghost, keys, ms, nullptr, 0);
    const Vector3 before = ghost.Position();
    ghost.SetPosition(before + ghost.Velocity() * (ms / 1000.0));
    if (!map)
        return;
    ghost.Wrap(map->WorldWidth(), map->WorldHeight());
    // A bare hull is the server's to judge, and waits at the wall for its word.
    if (walls.Rebound(ghost, before, ms / 1000.0) && !ghost.IsShielded()) {
        ghost.SetVelocity(Vector3());
        ghost.SetPosition(before);
    }
}
