#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>

#include "world/Vector3.h"

class Ship;

// Other pilots' ships, drawn a short delay behind their reports and
// interpolated between the two around that moment, so that reports late
// or early by the network's jitter, or lost, do not show.
//
// Reports carry no server time. Each is placed on its ship's timeline by
// how far the ship moved since the one before at the velocity the two give,
// which a coast tells exactly whatever the arrival; the timeline follows
// the arrivals slowly, and how far they stray from it is the jitter. The
// delay is a report interval and a half plus twice that jitter, and is
// changed a little at a time so that the ship's pace never jumps.
class ShipInterpolation {
public:
    // Slower than this, the distance between reports tells their time too
    // poorly: the arrival is taken instead.
    static constexpr double kSlowestTimed = 40.0;
    // The ms a ship took to move so far on its way at that velocity; none
    // when it went too slowly to tell, or elsewhere.
    static std::optional<double> Travelled(const Vector3& moved, const Vector3& way);
    // Share of each report's lateness the timeline follows, and the share
    // of it the jitter measure takes in.
    static constexpr double kFollowShare = 0.02;
    static constexpr double kJitterWeight = 0.05;
    // The delay: report intervals and jitters behind the latest report.
    // It is moved only when it is off by more than the slack, and then by
    // at most this share of the time passing: a ship is drawn that much
    // slower or faster meanwhile.
    static constexpr double kIntervals = 1.5;
    static constexpr double kJitters = 2.0;
    static constexpr double kDelaySlackMs = 10.0;
    static constexpr double kDelayShare = 0.02;
    // What a new report set right is eased in at this share a 10 ms, and at
    // most this much; farther than a jump, the ship is put there at once.
    static constexpr double kEaseShare = 0.1;
    static constexpr double kEaseMostUnits = 3.0;
    static constexpr double kJumpUnits = 320.0;
    // Until reports tell, a jitter a poor network has.
    static constexpr double kFirstJitterMs = 10.0;

    // On a map of this size in units (0 for none).
    void SetWorldSize(double width, double height);
    // A report of another ship, arrived at the given ms of the world's clock.
    void Report(int id, const Vector3& position, const Vector3& velocity, float heading, std::uint64_t atMs);
    // The ship spawned or is somebody's own now: its next report starts it
    // anew, shown where it says.
    void Forget(int id);
    // Puts a ship that has reports where it is drawn at this ms; false for
    // one without.
    bool Place(Ship& ship, std::uint64_t nowMs);

    double JitterMs() const { return jitterMs; }
    // The delay a ship is drawn at, 0 for one without reports.
    double DelayMs(int id) const;

private:
    struct Sample {
        double at; // on the timeline, in ms of the world's clock
        Vector3 position;
        Vector3 velocity;
        float heading;
    };
    struct Track {
        std::deque<Sample> samples;
        double arrivedAt = 0.0;
        double intervalMs = 50.0;
        double delayMs = 0.0;
        double placedAt = 0.0;
        Vector3 offset; // drawn less interpolated, eased away
    };

    // The moment of a report on its ship's timeline, before it follows the
    // arrival; a report whose moment its distance tells is taken into the jitter.
    double Timed(const Track& track, const Vector3& position, const Vector3& velocity, double atMs);
    Sample At(const Track& track, double when) const;
    double TargetDelay(const Track& track) const;
    void Ease(Track& track, double ms);
    Vector3 Between(const Vector3& from, const Vector3& to) const;

    std::map<int, Track> tracks;
    double jitterMs = kFirstJitterMs;
    double width = 0.0;
    double height = 0.0;
};
