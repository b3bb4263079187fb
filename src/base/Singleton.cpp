#include "base/Singleton.h"

#include <algorithm>

// Neither is ever destroyed: a singleton may still end while statics go.
std::vector<Singletons::Destroyer>& Singletons::Live()
{
    static auto* live = new std::vector<Destroyer>;
    return *live;
}

std::recursive_mutex& Singletons::Lock()
{
    static auto* lock = new std::recursive_mutex;
    return *lock;
}

void Singletons::Created(Destroyer destroy)
{
    Live().push_back(destroy);
}

void Singletons::Destroyed(Destroyer destroy)
{
    std::vector<Destroyer>& live = Live();
    live.erase(std::remove(live.begin(), live.end(), destroy), live.end());
}

void Singletons::ShutdownAll()
{
    std::scoped_lock lock(Lock());
    // Each Destroy takes itself off the list, and may end others it owns.
    while (!Live().empty())
        Live().back()();
}
