#include "server/engine/TickFigures.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Figure(const char* format, std::int64_t micros)
{
    char text[64] = {};
    std::snprintf(text, sizeof text, format, static_cast<double>(micros) / 1000.0);
    return text;
}

} // namespace

void TickFigures::Took(std::uint64_t now, std::int64_t micros)
{
    times.Add(now, micros);
    ++ticks;
    worstTick = std::max<std::int64_t>(worstTick, micros);
    periodWorst = std::max(periodWorst, micros);
    statusWorstTick = std::max(statusWorstTick, micros);
}

void TickFigures::Waited(std::uint64_t now, std::int64_t micros)
{
    gaps.Add(now, micros);
    worstGap = std::max<std::int64_t>(worstGap, micros);
    statusWorstGap = std::max(statusWorstGap, micros);
}

void TickFigures::ResetWorst()
{
    worstTick = 0;
    worstGap = 0;
}

std::int64_t TickFigures::TakePeriodWorst()
{
    const std::int64_t worst = periodWorst;
    periodWorst = 0;
    return worst;
}

std::vector<std::string> TickFigures::TakeStatusLines()
{
    std::vector<std::string> lines {Figure("since the last status: the longest tick %.1f ms,", statusWorstTick),
                                    Figure("the longest wait between ticks %.1f ms", statusWorstGap)};
    statusWorstTick = 0;
    statusWorstGap = 0;
    return lines;
}
