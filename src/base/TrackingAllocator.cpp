#include "base/TrackingAllocator.h"

#include <cstdlib>

#include "base/ScopedLock.h"

namespace {

// Guards creation and every operation. Constructed before main and never
// destroyed, so blocks freed during static destruction still find it.
CriticalSection& AllocatorLock()
{
    static CriticalSection* section = new CriticalSection;
    return *section;
}

[[maybe_unused]] const bool lockReadyBeforeMain = (AllocatorLock(), true);

} // namespace

void* TrackingAllocator::Allocate(std::size_t size)
{
    ScopedLock lock(&AllocatorLock());
    void* block = std::malloc(size);
    if (block)
        live.insert(block);
    return block;
}

bool TrackingAllocator::Free(void* block)
{
    if (!block)
        return true;
    ScopedLock lock(&AllocatorLock());
    if (live.erase(block) == 0)
        return false;
    std::free(block);
    return true;
}

std::size_t TrackingAllocator::LiveBlocks() const
{
    ScopedLock lock(&AllocatorLock());
    return live.size();
}
