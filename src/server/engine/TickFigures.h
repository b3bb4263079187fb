#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "server/engine/TickTimes.h"

// How the ticks go: how long each took, and how long from the start of one
// to the next; for the log, the status, the metrics and, from another
// thread, whoever watches the server.
class TickFigures {
public:
    // At the game's clock now, a tick took micros; a wait from the start of
    // the last one to this one's was micros.
    void Took(std::uint64_t now, std::int64_t micros);
    void Waited(std::uint64_t now, std::int64_t micros);

    // Since the last reset.
    std::int64_t WorstTick() const { return worstTick; }
    std::int64_t WorstGap() const { return worstGap; }
    void ResetWorst();
    // The longest tick since the last call, for the log's status lines.
    std::int64_t TakePeriodWorst();
    // The status's lines about the ticks since it was last asked for.
    std::vector<std::string> TakeStatusLines();

    std::uint64_t Count() const { return ticks; }
    const TickTimes& Times() const { return times; }
    const TickTimes& Gaps() const { return gaps; }

private:
    std::atomic<std::int64_t> worstTick {0};
    std::atomic<std::int64_t> worstGap {0};
    std::int64_t periodWorst = 0;
    std::int64_t statusWorstTick = 0;
    std::int64_t statusWorstGap = 0;
    TickTimes times;
    TickTimes gaps;
    std::uint64_t ticks = 0;
};
