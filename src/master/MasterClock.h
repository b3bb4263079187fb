#pragma once

#include <chrono>
#include <cstdint>

// Entries age by a steady clock, so setting the machine's time neither
// unlists every server nor keeps dead ones. Wall time is only for what
// leaves the process: log stamps, Last-Modified and the state file, whose
// times a restart turns back into steady ones. Tests hand the master a
// clock they move themselves.
class MasterClock {
public:
    virtual ~MasterClock() = default;
    // Steady milliseconds, from an arbitrary start.
    virtual std::int64_t NowMs() const
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    // Milliseconds since 1970.
    virtual std::int64_t WallMs() const
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
    // A steady time as the wall clock shows it now, and back.
    std::int64_t WallOf(std::int64_t steadyMs) const { return WallMs() - (NowMs() - steadyMs); }
    std::int64_t SteadyOf(std::int64_t wallMs) const { return NowMs() - (WallMs() - wallMs); }
};
