#pragma once

#include "base/CriticalSection.h"

// Holds a CriticalSection for the length of a scope. Leave() releases it
// early; the destructor then does nothing.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection* section) : section(section)
    {
        if (section)
            section->Enter();
    }
    virtual ~ScopedLock() { Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

    void Leave()
    {
        if (section) {
            section->Leave();
            section = nullptr;
        }
    }

private:
    CriticalSection* section;
};
