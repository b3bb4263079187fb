#pragma once

#include <array>
#include <cstddef>

#include "world/SoundEvent.h"

// The sounds of one frame, each where it happened relative to the own
// ship (world units, x to the right); filled without allocating.
class SoundQueue {
public:
    static constexpr std::size_t kCapacity = 256;

    struct Entry {
        SoundEvent event = SoundEvent::Shot;
        float dx = 0.0f;
        float dy = 0.0f;
    };

    // At the own ship; false when the frame's queue is full.
    bool Add(SoundEvent event) { return Add(event, 0.0f, 0.0f); }
    bool Add(SoundEvent event, float dx, float dy)
    {
        if (count == kCapacity)
            return false;
        entries[count++] = {event, dx, dy};
        return true;
    }
    void Clear() { count = 0; }
    std::size_t Size() const { return count; }
    const Entry* begin() const { return entries.data(); }
    const Entry* end() const { return entries.data() + count; }

private:
    std::array<Entry, kCapacity> entries{};
    std::size_t count = 0;
};
