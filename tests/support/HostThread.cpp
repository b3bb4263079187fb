#include "support/HostThread.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <future>

#include "net/ApplicationGuid.h"
#include "net/PackedBatch.h"

HostThread::HostThread(const std::string& name, std::uint32_t maxPlayers, std::uint16_t port) : server(this)
{
    std::string error;
    hosting = server.Host(ApplicationGuid(), name, maxPlayers, port, error);
    thread = std::thread([this] { Loop(); });
}

HostThread::~HostThread()
{
    stopping = true;
    thread.join();
}

void HostThread::Loop()
{
    while (!stopping) {
        std::vector<std::function<void(platform::SessionServer&)>> work;
        {
            std::lock_guard<std::mutex> lock(mutex);
            work.swap(tasks);
        }
        for (auto& task : work)
            task(server);
        if (!work.empty()) {
            // Taken, so that no waiter is between its check and its wait.
            std::lock_guard<std::mutex> lock(mutex);
            changed.notify_all();
        }
        server.DoWork(5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    server.End();
}

void HostThread::Run(std::function<void(platform::SessionServer&)> work)
{
    std::atomic<bool> done{false};
    {
        std::lock_guard<std::mutex> lock(mutex);
        tasks.push_back([&](platform::SessionServer& s) {
            work(s);
            done = true;
        });
    }
    // Until it is done, however long it takes: the task refers to this frame.
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return done.load(); });
}

void HostThread::SendToFirst(const std::vector<const NetMessage*>& messages, platform::Delivery delivery)
{
    const auto player = Joined().at(0);
    const auto bytes = PackedBatch::Pack(messages);
    Run([&](platform::SessionServer& s) { s.SendTo(player, bytes.data(), bytes.size(), delivery); });
}

std::thread HostThread::Stall(std::chrono::milliseconds time)
{
    std::promise<void> held;
    std::future<void> begun = held.get_future();
    std::thread stall([this, time, held = std::move(held)]() mutable {
        Run([&](platform::SessionServer&) {
            held.set_value();
            std::this_thread::sleep_for(time);
        });
    });
    begun.wait();
    return stall;
}

std::vector<platform::PlayerId> HostThread::Joined()
{
    std::lock_guard<std::mutex> lock(mutex);
    return joined;
}

std::vector<std::vector<std::uint8_t>> HostThread::Received()
{
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

bool HostThread::WaitForReceived(std::size_t count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return received.size() >= count; });
}

void HostThread::OnPlayerJoined(platform::PlayerId player, bool)
{
    std::lock_guard<std::mutex> lock(mutex);
    joined.push_back(player);
}

void HostThread::OnPlayerLeft(platform::PlayerId) {}

void HostThread::OnReceive(platform::PlayerId, const std::uint8_t* data, std::size_t size)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.emplace_back(data, data + size);
    }
    changed.notify_all();
}

namespace {

// The port is one per network namespace: test commands run side by side,
// each in a namespace of its own, take locks of their own.
std::string GamePortLockPath()
{
    char link[64] = {};
    const ssize_t length = ::readlink("/proc/self/ns/net", link, sizeof link - 1);
    std::string space;
    for (ssize_t i = 0; i < length; ++i) {
        if (link[i] >= '0' && link[i] <= '9')
            space += link[i];
    }
    return "/tmp/quillrock-test-game-port-" + space + ".lock";
}

} // namespace

GamePortLock::GamePortLock() : fd(::open(GamePortLockPath().c_str(), O_CREAT | O_RDWR, 0666))
{
    if (fd >= 0)
        ::flock(fd, LOCK_EX);
}

GamePortLock::~GamePortLock()
{
    if (fd >= 0)
        ::close(fd);
}
