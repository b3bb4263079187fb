#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/ScopedLock.h"

namespace {

TEST(CriticalSection, OwnerMayEnterAgainWhileHoldingIt)
{
    CriticalSection section;
    ScopedLock outer(&section);
    ScopedLock inner(&section);
    SUCCEED();
}

TEST(CriticalSection, ExcludesOtherThreadsUntilEveryEntryIsLeft)
{
    CriticalSection section;
    std::atomic<bool> acquired{false};
    section.Enter();
    section.Enter();

    std::thread other([&] {
        ScopedLock lock(&section);
        acquired = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(acquired.load());
    section.Leave();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(acquired.load()) << "one Leave per Enter";
    section.Leave();
    other.join();
    EXPECT_TRUE(acquired.load());
}

TEST(ScopedLock, LeavingEarlyReleasesOnceOnly)
{
    CriticalSection section;
    {
        ScopedLock lock(&section);
        lock.Leave();
        std::atomic<bool> acquired{false};
        std::thread other([&] {
            ScopedLock inner(&section);
            acquired = true;
        });
        other.join();
        EXPECT_TRUE(acquired.load());
    }
    // The destructor after Leave must not unlock a second time: the
    // section still works normally from another thread.
    std::thread again([&] { ScopedLock lock(&section); });
    again.join();
}

} // namespace
