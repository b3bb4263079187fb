#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/ScopedLock.h"

namespace {

// Threads taking turns under one lock: never two inside at once, and every
// increment of a plain counter lands.
TEST(ScopedLock, LetsOneThreadInAtATime)
{
    CriticalSection section;
    std::atomic<bool> go {false};
    std::atomic<int> inside {0};
    std::atomic<bool> overlapped {false};
    long counter = 0;
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i) {
                ScopedLock lock(&section);
                if (inside.fetch_add(1) != 0)
                    overlapped = true;
                const long seen = counter;
                // Give the others the processor while inside, as a
                // preempted holder does.
                std::this_thread::yield();
                counter = seen + 1;
                inside.fetch_sub(1);
            }
        });
    }
    go = true;
    for (auto& thread : threads)
        thread.join();
    EXPECT_FALSE(overlapped) << "two threads were inside the lock at once";
    EXPECT_EQ(counter, long {kThreads} * kRounds);
}

// The game takes its locks nested on one thread (message, then entity or
// console, then allocator): entering again must not block, an early Leave
// counts once, and another thread gets in only when every entry is left.
TEST(ScopedLock, NestsOnOneThreadAndKeepsOthersOutUntilAllAreLeft)
{
    CriticalSection section;
    std::atomic<bool> entered {false};
    std::thread other;
    {
        ScopedLock outer(&section);
        {
            ScopedLock inner(&section);
            inner.Leave();
        }
        other = std::thread([&] {
            ScopedLock lock(&section);
            entered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(entered) << "another thread entered while the outer lock was held";
    }
    other.join();
    EXPECT_TRUE(entered);
    ScopedLock none(nullptr); // no section: nothing to take, and no crash
}

} // namespace
