// Bump allocator that owns every node and string of an XML document; released as a whole.
#pragma once

#include <cstddef>

// A pool hands out memory in 8-byte steps from 8192-byte chunks. Nothing allocated from it is
// freed or destroyed one by one: clearing or destroying the pool gives all its chunks back to a
// process-wide free list, from which later pools take them again (the memory is never returned
// to the system). Objects placed in a pool must therefore not own heap memory.
class Pool
{
public:
    struct Chunk
    {
        Chunk *next;
        std::size_t size;
        char *data;
    };

    Pool() = default;
    ~Pool();
    Pool(const Pool &) = delete;
    Pool &operator=(const Pool &) = delete;

    void *allocate(std::size_t size);
    void clear();

    // Makes `pool` the one that PoolObject::operator new and XMLNode::mkString draw from and
    // returns the previous one, so that the caller can restore it.
    static Pool *setCurrentPool(Pool *pool);

    static Pool *currentPool;
    static Chunk *releasedChunks;

private:
    Chunk *m_chunks = nullptr;   // the current chunk first
    std::size_t m_used = 0;      // bytes used in the current chunk
    std::size_t m_capacity = 0;  // size of the current chunk
};

// Makes a pool current for the lifetime of the scope and restores the previous one after.
class CurrentPoolScope
{
public:
    explicit CurrentPoolScope(Pool *pool) : m_previous(Pool::setCurrentPool(pool)) {}
    ~CurrentPoolScope() { Pool::setCurrentPool(m_previous); }
    CurrentPoolScope(const CurrentPoolScope &) = delete;
    CurrentPoolScope &operator=(const CurrentPoolScope &) = delete;

private:
    Pool *m_previous;
};

// Base of everything allocated in the current pool. When no pool is current, a pool is created
// on the heap and made current, so allocation never fails for want of a pool.
class PoolObject
{
public:
    static void *operator new(std::size_t size);
    // Pool memory is released with the pool, never per object.
    static void operator delete(void *) noexcept {}
};
