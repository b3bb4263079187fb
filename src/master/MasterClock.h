#pragma once

#include <chrono>
#include <cstdint>

// Wall time in milliseconds since 1970. Entries outlive a restart through
// the state file, so their times are wall times too. Tests hand the master
// a clock they move themselves.
class MasterClock {
public:
    virtual ~MasterClock() = default;
    virtual std::int64_t NowMs() const
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
};
