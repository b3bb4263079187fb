#pragma once

#include <mutex>

// A mutual-exclusion object that the owning thread may enter again while it
// holds it, as the game's locks are taken nested (message lock, then entity
// or console lock, then the allocator's).
class CriticalSection {
public:
    CriticalSection() = default;
    virtual ~CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { mutex.lock(); }
    void Leave() { mutex.unlock(); }

private:
    std::recursive_mutex mutex;
};
