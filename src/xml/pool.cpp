#include "xml/pool.h"

#include <cstdlib>
#include <cstring>
#include <new>

Pool *Pool::currentPool = nullptr;
Pool::Chunk *Pool::releasedChunks = nullptr;

namespace {

constexpr std::size_t kChunkSize = 8192;
#ifndef NDEBUG
constexpr unsigned char kReleasedFill = 0xFE;
#endif

std::size_t roundUp(std::size_t size)
{
    return (size + 7) & ~std::size_t(7);
}

// First fit from the free list of released chunks, or null.
Pool::Chunk *takeReleasedChunk(std::size_t size)
{
    for (Pool::Chunk **link = &Pool::releasedChunks; *link; link = &(*link)->next) {
        Pool::Chunk *chunk = *link;
        if (chunk->size >= size) {
            *link = chunk->next;
            return chunk;
        }
    }
    return nullptr;
}

Pool::Chunk *newChunk(std::size_t size)
{
    // Header and data in one block; the data starts 8-byte aligned after the header.
    const std::size_t header = roundUp(sizeof(Pool::Chunk));
    char *block = static_cast<char *>(std::malloc(header + size));
    if (!block)
        throw std::bad_alloc();
    auto *chunk = reinterpret_cast<Pool::Chunk *>(block);
    chunk->next = nullptr;
    chunk->size = size;
    chunk->data = block + header;
    return chunk;
}

} // namespace

Pool::~Pool()
{
    clear();
}

void *Pool::allocate(std::size_t size)
{
    const std::size_t rounded = roundUp(size == 0 ? 1 : size);
    if (m_chunks && m_used + rounded <= m_capacity) {
        void *result = m_chunks->data + m_used;
        m_used += rounded;
        return result;
    }
    const std::size_t wanted = rounded > kChunkSize ? rounded : kChunkSize;
    Chunk *chunk = takeReleasedChunk(wanted);
    if (!chunk)
        chunk = newChunk(wanted);
    chunk->next = m_chunks;
    m_chunks = chunk;
    m_capacity = chunk->size;
    m_used = rounded;
    return chunk->data;
}

void Pool::clear()
{
    while (m_chunks) {
        Chunk *chunk = m_chunks;
        m_chunks = chunk->next;
#ifndef NDEBUG
        // Stale pointers into a cleared pool then read a pattern that stands out. Not in
        // optimised builds: filling every chunk of a large document costs a sixth of its load.
        std::memset(chunk->data, kReleasedFill, chunk->size);
#endif
        chunk->next = releasedChunks;
        releasedChunks = chunk;
    }
    m_used = 0;
    m_capacity = 0;
}

Pool *Pool::setCurrentPool(Pool *pool)
{
    Pool *previous = currentPool;
    currentPool = pool;
    return previous;
}

void *PoolObject::operator new(std::size_t size)
{
    if (!Pool::currentPool)
        Pool::currentPool = new Pool;
    return Pool::currentPool->allocate(size);
}
