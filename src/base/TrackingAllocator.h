#pragma once

#include <cstddef>
#include <unordered_set>

#include "base/CriticalSection.h"
#include "base/Singleton.h"

// The process-wide allocator for variable-sized buffers (texts, names, wire
// buffers). It records every live block and frees only blocks it handed out,
// so a stray or repeated free is refused instead of corrupting the heap.
// Live blocks are kept in a hash set: console lines and network sends pass
// through here every frame, so neither call may grow with the live count.
class TrackingAllocator : public Singleton<TrackingAllocator> {
public:

    // size bytes from the heap, not cleared; null when the heap refuses.
    void* Allocate(std::size_t size);
    // true for null and for a live block of ours (which is freed);
    // false for anything else, which is left alone.
    bool Free(void* block);

    std::size_t LiveBlocks() const;

private:
    friend class Singleton<TrackingAllocator>;
    TrackingAllocator() = default;

    std::unordered_set<void*> live;
};
