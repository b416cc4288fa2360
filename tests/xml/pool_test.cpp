#include "xml/pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(Pool, AllocatesInEightByteStepsFromOneChunk)
{
    Pool pool;
    char *a = static_cast<char *>(pool.allocate(1));
    char *b = static_cast<char *>(pool.allocate(9));
    char *c = static_cast<char *>(pool.allocate(8));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % 8, 0u);
    EXPECT_EQ(b - a, 8);
    EXPECT_EQ(c - b, 16);
}

TEST(Pool, LargeRequestsGetAChunkOfTheirOwnSize)
{
    Pool pool;
    char *big = static_cast<char *>(pool.allocate(100000));
    std::memset(big, 'x', 100000);
    char *next = static_cast<char *>(pool.allocate(8));
    // The big chunk is full, so the next allocation opens a fresh chunk.
    EXPECT_TRUE(next < big || next >= big + 100000);
}

TEST(Pool, ClearedChunksAreFilledAndReusedByTheNextPool)
{
    char *first;
    {
        Pool pool;
        first = static_cast<char *>(pool.allocate(64));
        std::memset(first, 'a', 64);
        pool.clear();
        EXPECT_EQ(static_cast<unsigned char>(first[0]), 0xFEu);
        EXPECT_EQ(static_cast<unsigned char>(first[63]), 0xFEu);
    }
    Pool next;
    EXPECT_EQ(static_cast<char *>(next.allocate(16)), first);
}

TEST(Pool, ObjectsComeFromTheCurrentPool)
{
    struct Thing : PoolObject
    {
        int value = 7;
    };
    Pool pool;
    Pool *previous = Pool::setCurrentPool(&pool);
    char *marker = static_cast<char *>(pool.allocate(8));
    Thing *thing = new Thing;
    EXPECT_EQ(reinterpret_cast<char *>(thing), marker + 8);
    EXPECT_EQ(thing->value, 7);
    delete thing;  // a no-op: the pool releases it
    EXPECT_EQ(Pool::setCurrentPool(previous), &pool);
}
