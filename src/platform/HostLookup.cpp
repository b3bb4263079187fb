#include "platform/HostLookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

namespace {

// Shared by the caller and the lookup thread, so that a lookup that
// outlives its wait finishes into something still alive.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int result = EAI_FAIL;
    std::uint32_t address = 0;
};

void Resolve(const std::shared_ptr<Lookup>& lookup, const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    std::uint32_t address = 0;
    if (result == 0 && found)
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    if (found)
        freeaddrinfo(found);
    const std::lock_guard lock(lookup->mutex);
    lookup->result = result;
    lookup->address = address;
    lookup->finished = true;
    lookup->done.notify_all();
}

} // namespace

bool LookUpHost(const std::string& host, std::uint32_t waitMs, std::uint32_t& address, std::string& error)
{
    in_addr dotted{};
    if (inet_pton(AF_INET, host.c_str(), &dotted) == 1) {
        address = dotted.s_addr;
        return true;
    }
    auto lookup = std::make_shared<Lookup>();
    std::thread(Resolve, lookup, host).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return lookup->finished; })) {
        error = "the name \"" + host + "\" was not looked up in time";
        return false;
    }
    if (lookup->result != 0) {
        error = std::string("cannot find the host \"") + host + "\"";
        return false;
    }
    address = lookup->address;
    return true;
}

} // namespace platform
