#pragma once

#include <cstdint>
#include <deque>

#include "net/OwnShots.h"
#include "world/HeldKeys.h"
#include "world/Ship.h"
#include "world/Walls.h"

class Map;
class World;
class ShipControls;

// The own ship turns and moves the frame its keys are pressed, however far
// the server: from the server's latest report of it, the ship's own rules
// fly the keys the server had not had yet, walls included, every frame. A
// report that disagrees with what is shown is eased in over a few frames.
// Fuel and flags stay as the server reports them. Off, the reports set the
// heading as they come and the world moves the ship as it moves the others.
class OwnShipPrediction {
public:
    // The server's usual step, at its 60 ticks a second.
    static constexpr int kServerStepMs = 16;
    // Keys older than this are taken to have reached the server.
    static constexpr std::uint32_t kLongestRoundTripMs = 1000;
    // A disagreement is eased in at this share a frame of 10 ms, and no
    // faster than this much a frame, so that a large one shows as a drift
    // rather than a jump.
    static constexpr float kEaseShare = 0.2f;
    static constexpr double kEaseMostUnits = 4.0;
    static constexpr float kEaseMostDegrees = 5.0f;
    // A report this far off is past easing: half a screen, more than any
    // push or rebound puts between the two in a round trip; a quarter turn
    // and more, keys the server heard otherwise.
    static constexpr double kJumpUnits = 320.0;
    static constexpr float kJumpDegrees = 90.0f;
    // Reports arrive early or late by the network's jitter. Each is placed
    // on a timeline by how far the ship moved since the one before, which a
    // coast tells exactly whatever the arrival; the timeline follows the
    // arrivals at this share a report. On a steady coast the ship is drawn
    // ahead by its velocity times the report's lateness, so that a late
    // report does not hold it back nor an early one hurry it.
    static constexpr double kFollowShare = 0.05;
    // Farther than this from the arrival, the distance tells the report's
    // moment too poorly (as does a ship too slow to time, as for the
    // others): the arrival is taken instead.
    static constexpr double kMostStrayMs = 100.0;
    // A disagreement no larger than this many times what the measured
    // jitter explains is spread out, at most this share of the ship's
    // speed, so that a ship that coasts is drawn at an even pace; the rest
    // is eased in as above.
    static constexpr double kJitterBand = 3.0;
    static constexpr double kEvenShare = 0.05;
    // Within this many bands, a disagreement is a report's lateness still,
    // and a coast takes no more than this share of its pace to ease it.
    static constexpr double kLateBand = 2.0;
    static constexpr double kCoastMostShare = 0.04;
    // How much of each report's lateness the measure of the jitter takes in.
    static constexpr double kJitterWeight = 0.1;
    // Reports in a row that keep the ship's velocity before its coast is
    // smoothed: time for a bounce's disagreement to be eased in.
    static constexpr int kSteadyReports = 3;

    bool Enabled() const { return enabled; }
    OwnShots& Shots() { return shots; }
    void SetEnabled(bool on);
    // A new ship, a new round: the next report is taken as it is.
    void Reset();
    // The own ship came back; its news arrived at the moment given. It is
    // shielded for free a while.
    void OnSpawn(std::uint32_t at);
    // The ship went down: the reports show the shots the server had it
    // fire, and those it fired since on this side never left.
    void OnDeath() { shots.Clear(); }
    // Once a frame, after the reports: the claimed shots meet the walls.
    void GuardShots(World& world, std::uint32_t now);

    // The keys of this frame, sent at now: the ship flies by them at once.
    // True when the prediction placed the ship, which the world must then
    // leave where it is.
    bool Step(Ship& ship, const HeldKeys& keys, int ms, std::uint32_t now, const Map* map);
    // How late or early a report comes, on average, in ms.
    double JitterMs() const { return jitterMs; }
    // The server's word on the ship, which had not seen the keys of the
    // last round trip.
    void OnReport(Ship& ship, const Vector3& position, const Vector3& velocity, float heading, std::uint32_t now,
                  int roundTripMs, const Map* map);

private:
    struct Sent {
        std::uint32_t at;
        HeldKeys keys;
        int ms;
    };
    struct Report {
        Vector3 position;
        Vector3 velocity;
        float heading = 0.0f;
        float fuel = 0.0f;
        float maxFuel = 0.0f;
        std::uint8_t flags = 0;
        std::uint32_t at = 0;
        int roundTripMs = 0;
    };

    // Where the ship is now by the report and the keys sent since the
    // server last heard.
    Ship& Predicted(const Ship& shown, const Map* map);
    // A step of the replay. It fires no shot (the world has no room for
    // one); a repulsor, which needs none, pushes and pays as the server's.
    void Fly(ShipControls& controls, const HeldKeys& keys, int ms, const Map* map);
    void Ease(int ms, double speed);
    // The round trip the replay flies ahead by, from the latest measure.
    int Horizon(int roundTripMs, std::uint32_t now);
    // How late the report arriving now came against the timeline, from the
    // one before; a report whose moment its distance tells is taken into
    // the jitter.
    double Lateness(const Vector3& position, const Vector3& velocity, std::uint32_t now, const Map* map);

    bool enabled = true;
    bool known = false;
    Report report;
    bool spawned = false;
    std::uint32_t spawnedAt = 0;
    Vector3 offset;       // what is shown less what is predicted, easing away
    float turnOffset = 0.0f;
    double jitterMs = 0.0;
    double lateMs = 0.0;  // of the latest report, against the timeline
    Vector3 lead;         // what the latest report's lateness held the replay back by
    int earlyMs = 0;      // of the replay's first frame, before the server heard
    bool coasting = false; // no thrust among the keys the replay flew
    int steadyReports = 0; // in a row, each keeping the velocity of the one before
    double horizonMs = 0.0;
    std::uint32_t horizonAt = 0;
    std::deque<Sent> sent;
    Ship ghost;
    Walls walls;
    OwnShots shots;
};
