#include "world/NetServer.h"

#include <cstdlib>
#include <ctime>
#include <memory>

#include "base/TrackingAllocator.h"

NetServer::NetServer()
{
    TrackingAllocator::Instance();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}
