#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "world/Vector3.h"

// How evenly ships are drawn while they coast in a straight line: the
// drawn step over each 100 ms of the world's clock, compared with the
// median of its coast. Any unevenness there is the player's program's own,
// since the ship's true speed did not change.
class CoastSteps {
public:
    // Whether the server had the ship coasting at one velocity all through
    // a stretch of wall ticks.
    using Steady = std::function<bool(int id, std::uint32_t from, std::uint32_t to)>;

    struct Figures {
        std::size_t coasts = 0;
        std::size_t steps = 0;
        double medianStep = 0.0; // units per 100 ms, of all steps
        // Each step relative to its coast's median, less one.
        double lowest = 0.0, low5 = 0.0, high95 = 0.0, highest = 0.0;
    };

    // The ship as drawn this frame; coasting says whether nothing on this
    // side steered it (the own ship's keys).
    void Drawn(int id, std::uint64_t worldMs, std::uint32_t wallMs, const Vector3& position, bool coasting);
    // The ship is not drawn this frame (dead, or not yet known).
    void Gone(int id);
    // Steps of coasts that the server confirms, the drawing's margin before
    // and after a stretch in wall ticks, on a map of the size given. A step
    // within grace units of its coast's median counts as the median.
    Figures Measure(const Steady& steady, std::uint32_t before, std::uint32_t after, double width, double height,
                    double grace) const;

private:
    struct Frame {
        std::uint64_t worldMs;
        std::uint32_t wallMs;
        Vector3 position;
        bool coasting;
    };
    // Unbroken runs of a ship's drawing.
    std::map<int, std::vector<std::vector<Frame>>> runs;
    std::map<int, bool> drawing;
    std::map<int, std::uint32_t> settleUntil; // after a halt of this machine
};
