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
    const std::size_t before = allocator->LiveBlocks();
    EXPECT_TRUE(allocator->Free(nullptr));
    char* block = static_cast<char*>(allocator->Allocate(64));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(allocator->LiveBlocks(), before + 1);
    EXPECT_FALSE(allocator->Free(block + 1)) << "a pointer inside a block is not the block";
    EXPECT_TRUE(allocator->Free(block));
    EXPECT_FALSE(allocator->Free(block)) << "a second free must be refused";
    EXPECT_EQ(allocator->LiveBlocks(), before);

    char* foreign = static_cast<char*>(std::malloc(16));
    std::strcpy(foreign, "still here");
    EXPECT_FALSE(allocator->Free(foreign));
    EXPECT_STREQ(foreign, "still here");
    std::free(foreign);
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
                mine.push_back(static_cast<unsigned char*>(allocator->Allocate(24)));
                mine.back()[0] = static_cast<unsigned char>(t);
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
