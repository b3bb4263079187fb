#pragma once

#include <cstdint>
#include <deque>

#include "world/HeldKeys.h"

class Ship;

// The own ship turns the frame its keys are pressed, however far the
// server: its heading runs ahead of the server's reports by the keys the
// server has not had yet, and a report that disagrees is eased in over a
// few frames. Off, the reports set the heading as they come.
class OwnShipPrediction {
public:
    // Keys older than this are taken to have reached the server.
    static constexpr std::uint32_t kLongestRoundTripMs = 1000;
    // A disagreement is eased in at this share a frame of 10 ms.
    static constexpr float kEaseShare = 0.2f;
    // A report this far off is the server turning the ship itself.
    static constexpr float kJumpDegrees = 90.0f;

    bool Enabled() const { return enabled; }
    void SetEnabled(bool on);
    // A new ship, a new round: the next report is taken as it is.
    void Reset();

    // The keys of this frame, sent at now: the ship turns by them at once.
    void Step(Ship& ship, const HeldKeys& keys, int ms, std::uint32_t now);
    // The server's heading of the ship, which had not seen the keys of the
    // last round trip.
    void OnReport(Ship& ship, float heading, std::uint32_t now, int roundTripMs);

private:
    struct Sent {
        std::uint32_t at;
        HeldKeys keys;
        int ms;
    };

    bool enabled = true;
    bool known = false;
    float correction = 0.0f;
    std::deque<Sent> sent;
};
