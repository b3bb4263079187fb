#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "base/TrackingAllocator.h"

namespace {

TEST(TrackingAllocator, FreesOnlyLiveBlocksItHandedOut)
{
    TrackingAllocator* allocator = TrackingAllocator::Instance();
    ASSERT_EQ(allocator, TrackingAllocator::Instance());
    const std::size_t before = allocator->LiveBlocks();

    EXPECT_TRUE(allocator->Free(nullptr));

    void* block = allocator->Allocate(64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(allocator->LiveBlocks(), before + 1);
    EXPECT_TRUE(allocator->Free(block));
    EXPECT_FALSE(allocator->Free(block)) << "a second free must be refused";
    EXPECT_EQ(allocator->LiveBlocks(), before);
}

TEST(TrackingAllocator, LeavesForeignBlocksAlone)
{
    TrackingAllocator* allocator = TrackingAllocator::Instance();
    char* foreign = static_cast<char*>(std::malloc(16));
    ASSERT_NE(foreign, nullptr);
    std::strcpy(foreign, "still here");
    EXPECT_FALSE(allocator->Free(foreign));
    EXPECT_STREQ(foreign, "still here");
    std::free(foreign);

    int onStack = 7;
    EXPECT_FALSE(allocator->Free(&onStack));

    // A pointer inside a live block is not the block.
    char* block = static_cast<char*>(allocator->Allocate(32));
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(allocator->Free(block + 1));
    EXPECT_TRUE(allocator->Free(block));
}

TEST(TrackingAllocator, ZeroSizeBlockIsTrackedWhenTheHeapGivesOne)
{
    TrackingAllocator* allocator = TrackingAllocator::Instance();
    void* block = allocator->Allocate(0);
    if (block) {
        EXPECT_TRUE(allocator->Free(block));
        EXPECT_FALSE(allocator->Free(block));
    }
}

TEST(TrackingAllocator, KeepsBlocksApartAcrossThreads)
{
    TrackingAllocator* allocator = TrackingAllocator::Instance();
    const std::size_t before = allocator->LiveBlocks();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([allocator, t] {
            std::vector<unsigned char*> mine;
            for (int i = 0; i < 2000; ++i) {
                auto* block = static_cast<unsigned char*>(allocator->Allocate(24));
                block[0] = static_cast<unsigned char>(t);
                mine.push_back(block);
                if (i % 3 == 0) {
                    EXPECT_TRUE(allocator->Free(mine.back()));
                    mine.pop_back();
                }
            }
            for (unsigned char* block : mine) {
                EXPECT_EQ(block[0], t);
                EXPECT_TRUE(allocator->Free(block));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(allocator->LiveBlocks(), before);
}

} // namespace
