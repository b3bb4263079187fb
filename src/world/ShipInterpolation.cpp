#include "world/ShipInterpolation.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "world/Ship.h"
#include "world/Torus.h"

namespace {

// Past this much lateness the timeline has lost the arrivals (a stall):
// it starts again from the report.
constexpr double kLostMs = 250.0;
// A time the distance tells that strays this far from the arrivals' is a
// ship that turned while unreported; and no report's lateness counts for
// more than this in the jitter.
constexpr double kMostStrayMs = 100.0;
// Reports this close on the timeline are one moment: the later one stands.
constexpr double kSameMomentMs = 1.0;
// How much of each gap the report interval takes in, a gap counted as no
// more than twice the interval and no less than half: a lost report, or a
// state sent between reports at once, changes it little.
constexpr double kIntervalWeight = 0.05;
// A ship moved this far off the way its two reports give turned at a wall
// or was pushed between them.
constexpr double kAsideUnits = 2.0;
constexpr double kAsideShare = 0.1;
// Enough reports for a far ship, reported a few times a second.
constexpr std::size_t kMostSamples = 32;

double Length(const Vector3& v)
{
    return std::hypot(v.x, v.y);
}

} // namespace

std::optional<double> ShipInterpolation::Travelled(const Vector3& moved, const Vector3& way)
{
    const double speed = Length(way);
    if (speed < kSlowestTimed)
        return std::nullopt;
    const double seconds = (moved.x * way.x + moved.y * way.y) / (speed * speed);
    if (seconds < 0.0 || Length(moved - way * seconds) > kAsideUnits + kAsideShare * Length(moved))
        return std::nullopt;
    return seconds * 1000.0;
}

void ShipInterpolation::SetWorldSize(double worldWidth, double worldHeight)
{
    width = worldWidth;
    height = worldHeight;
}

void ShipInterpolation::Report(int id, const Vector3& position, const Vector3& velocity, float heading,
                               std::uint64_t atMs)
{
    const auto at = static_cast<double>(atMs);
    Track& track = tracks[id];
    if (track.samples.empty()) {
        track = Track {};
        track.samples.push_back({at, position, velocity, heading});
        track.arrivedAt = track.placedAt = at;
        track.delayMs = TargetDelay(track);
        return;
    }
    // What is drawn stays where it is: a report that moves the moment being
    // drawn leaves the difference to be eased away.
    const double drawnAt = at - track.delayMs;
    const Sample before = At(track, drawnAt);
    const double timed = Timed(track, position, velocity, at);
    const double late = at - timed;
    const double when = timed + late * kFollowShare;
    Sample& last = track.samples.back();
    if (std::fabs(late) > kLostMs) {
        track.samples.assign(1, {at, position, velocity, heading});
    } else if (when - last.at < kSameMomentMs) {
        last.position = position;
        last.velocity = velocity;
        last.heading = heading;
    } else {
        const double gap = std::clamp(when - last.at, track.intervalMs / 2.0, track.intervalMs * 2.0);
        track.intervalMs += (gap - track.intervalMs) * kIntervalWeight;
        track.samples.push_back({when, position, velocity, heading});
    }
    if (track.samples.size() > kMostSamples)
        track.samples.pop_front();
    track.arrivedAt = at;
    track.offset = track.offset + Between(At(track, drawnAt).position, before.position);
    if (Length(track.offset) > kJumpUnits)
        track.offset = Vector3();
}

double ShipInterpolation::Timed(const Track& track, const Vector3& position, const Vector3& velocity,
                                double atMs)
{
    const Sample& last = track.samples.back();
    const Vector3 moved = Between(last.position, position);
    const double arrived = atMs - track.arrivedAt;
    // Along the mean of the two velocities, as under thrust; else along the
    // earlier one, as into a rebound, which the server reports the moment
    // it happens.
    for (const Vector3& way : {(last.velocity + velocity) * 0.5, last.velocity}) {
        const std::optional<double> ms = Travelled(moved, way);
        if (ms && std::fabs(*ms - arrived) <= kMostStrayMs) {
            const double timed = last.at + *ms;
            jitterMs += (std::min(std::fabs(atMs - timed), kMostStrayMs) - jitterMs) * kJitterWeight;
            return timed;
        }
    }
    return last.at + arrived;
}

void ShipInterpolation::Forget(int id)
{
    tracks.erase(id);
}

bool ShipInterpolation::Place(Ship& ship, std::uint64_t nowMs)
{
    const auto found = tracks.find(ship.GetId());
    if (found == tracks.end() || found->second.samples.empty())
        return false;
    Track& track = found->second;
    const auto now = static_cast<double>(nowMs);
    const double ms = std::max(0.0, now - track.placedAt);
    track.placedAt = now;
    const double target = TargetDelay(track);
    const double wanted = std::clamp(track.delayMs, target - kDelaySlackMs, target + kDelaySlackMs);
    const double most = kDelayShare * ms;
    track.delayMs = std::clamp(wanted, track.delayMs - most, track.delayMs + most);
    const double when = now - track.delayMs;
    // The delay grows slower than time passes: what is drawn only moves on.
    while (track.samples.size() > 1 && track.samples[1].at <= when)
        track.samples.pop_front();
    Ease(track, ms);
    const Sample drawn = At(track, when);
    ship.SetPosition(drawn.position + track.offset);
    ship.SetVelocity(drawn.velocity);
    ship.SetHeading(drawn.heading);
    ship.Wrap(static_cast<int>(width), static_cast<int>(height));
    return true;
}

double ShipInterpolation::DelayMs(int id) const
{
    const auto found = tracks.find(id);
    return found == tracks.end() ? 0.0 : found->second.delayMs;
}

ShipInterpolation::Sample ShipInterpolation::At(const Track& track, double when) const
{
    const std::deque<Sample>& samples = track.samples;
    const auto after = std::find_if(samples.begin(), samples.end(), [&](const Sample& s) { return s.at > when; });
    // Before the first report or past the last, the ship goes on as it was
    // reported going: a late report shows as nothing else on a coast.
    if (after == samples.begin() || after == samples.end()) {
        const Sample& from = after == samples.end() ? samples.back() : samples.front();
        return {when, from.position + from.velocity * ((when - from.at) / 1000.0), from.velocity, from.heading};
    }
    const Sample& a = *std::prev(after);
    const Sample& b = *after;
    const double share = (when - a.at) / (b.at - a.at);
    // The shorter way round, as the ship turned.
    const float turn = std::remainder(b.heading - a.heading, 360.0f);
    return {when, a.position + Between(a.position, b.position) * share, a.velocity + (b.velocity - a.velocity) * share,
            std::fmod(a.heading + turn * static_cast<float>(share) + 360.0f, 360.0f)};
}

double ShipInterpolation::TargetDelay(const Track& track) const
{
    return kIntervals * track.intervalMs + kJitters * jitterMs;
}

void ShipInterpolation::Ease(Track& track, double ms)
{
    const double length = Length(track.offset);
    if (length <= 0.0)
        return;
    const double share = std::min(1.0, kEaseShare * ms / 10.0);
    const double taken = std::min(length * share, kEaseMostUnits * ms / 10.0);
    track.offset = track.offset * (1.0 - taken / length);
}

Vector3 ShipInterpolation::Between(const Vector3& from, const Vector3& to) const
{
    return {FoldDifference(to.x - from.x, width), FoldDifference(to.y - from.y, height), 0.0};
}
