#include "driver/job_pool.h"

#include <algorithm>

namespace {

thread_local int t_worker = -1;

} // namespace

JobPool::JobPool(int workers) : m_workerCount(std::max(1, workers)) {}

JobPool::~JobPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
        for (Record &record : m_jobs) {
            if (record.state == Queued)
                record.state = Dropped;
        }
    }
    m_changed.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

int JobPool::submit(Work work, bool barrier)
{
    int number = 0;
    {
        std::lock_guard lock(m_mutex);
        number = int(m_jobs.size());
        m_jobs.push_back({std::move(work), barrier, m_failed ? Dropped : Queued});
        if (m_failed) {
            ++m_endedCount;
            advanceEnded();
            return number;
        }
        ++m_queued;
        // Threads are started as work arrives, so that a build with nothing to do starts none.
        if (int(m_threads.size()) < m_workerCount && m_running + m_queued > int(m_threads.size()))
            m_threads.emplace_back(&JobPool::workerLoop, this, int(m_threads.size()));
    }
    m_changed.notify_all();
    return number;
}

JobPool::State JobPool::state(int job) const
{
    std::lock_guard lock(m_mutex);
    return m_jobs.at(size_t(job)).state;
}

bool JobPool::ended(int job) const
{
    return isEnded(state(job));
}

bool JobPool::failed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

int JobPool::queued() const
{
    std::lock_guard lock(m_mutex);
    return m_queued;
}

void JobPool::waitForAny()
{
    std::unique_lock lock(m_mutex);
    const long endedBefore = m_endedCount;
    m_changed.wait(lock, [&] {
        return m_endedCount != endedBefore || (m_running == 0 && m_queued == 0);
    });
}

void JobPool::waitForAll()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return allEnded(); });
}

bool JobPool::allEnded() const
{
    return m_firstNotEnded == int(m_jobs.size());
}

void JobPool::advanceEnded()
{
    while (m_firstNotEnded < int(m_jobs.size()) && isEnded(m_jobs[size_t(m_firstNotEnded)].state))
        ++m_firstNotEnded;
}

// The first queued job that may start: an ordinary job at once, a barrier job only when every
// job before it has ended. Jobs behind a barrier that cannot start yet may still overtake it.
int JobPool::nextRunnable() const
{
    for (int i = m_firstNotEnded; i < int(m_jobs.size()); ++i) {
        const Record &record = m_jobs[size_t(i)];
        if (record.state != Queued)
            continue;
        if (!record.barrier || i == m_firstNotEnded)
            return i;
    }
    return -1;
}

int JobPool::currentWorker()
{
    return t_worker;
}

void JobPool::workerLoop(int index)
{
    t_worker = index;
    std::unique_lock lock(m_mutex);
    for (;;) {
        int next = -1;
        m_changed.wait(lock, [&] {
            next = m_shutdown ? -1 : nextRunnable();
            return m_shutdown || next >= 0;
        });
        if (next < 0)
            return;
        Record &record = m_jobs[size_t(next)];
        record.state = Running;
        --m_queued;
        ++m_running;
        Work work = std::move(record.work);
        lock.unlock();
        const bool succeeded = work();
        lock.lock();
        // The deque only grows at its end, so the record is still where it was.
        m_jobs[size_t(next)].state = succeeded ? Succeeded : Failed;
        --m_running;
        ++m_endedCount;
        if (!succeeded && !m_failed) {
            m_failed = true;
            for (Record &queued : m_jobs) {
                if (queued.state == Queued) {
                    queued.state = Dropped;
                    --m_queued;
                    ++m_endedCount;
                }
            }
        }
        advanceEnded();
        m_changed.notify_all();
    }
}
