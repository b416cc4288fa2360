// JobPool: runs queued jobs on a fixed number of worker threads, for parallel builds.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A job is a function run on a worker thread; it returns false when it failed. Jobs start in
// queue order as workers become free, except that a barrier job starts only once every job
// queued before it has ended (an archive or a link waits for its objects). After a failure no
// further job starts: the ones still queued are dropped, the running ones end normally.
//
// Only the thread that owns the pool calls its operations; the workers only run jobs.
class JobPool
{
public:
    enum State { Queued, Running, Succeeded, Failed, Dropped };
    using Work = std::function<bool()>;

    explicit JobPool(int workers);
    ~JobPool(); // drops what is queued and waits for the running jobs
    JobPool(const JobPool &) = delete;
    JobPool &operator=(const JobPool &) = delete;

    // Queues a job and returns its number: 0 for the first, then counting up.
    int submit(Work work, bool barrier);
    State state(int job) const;
    bool ended(int job) const;
    // True once a job has failed.
    bool failed() const;
    // Jobs queued and not started yet.
    int queued() const;
    // Blocks until some job ends (returns at once when nothing runs or waits to run).
    void waitForAny();
    // Blocks until every job queued so far has ended or been dropped.
    void waitForAll();

    int workers() const { return m_workerCount; }
    // The number (0 up to workers() - 1) of the worker that runs the calling thread's job; -1
    // on a thread that is no worker.
    static int currentWorker();

private:
    struct Record
    {
        Work work;
        bool barrier = false;
        State state = Queued;
    };

    void workerLoop(int index);
    int nextRunnable() const; // index of the job a free worker should start, or -1
    bool allEnded() const;
    void advanceEnded();
    static bool isEnded(State state) { return state >= Succeeded; }

    const int m_workerCount;
    std::vector<std::thread> m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Record> m_jobs;
    int m_firstNotEnded = 0; // every job before it has ended
    int m_queued = 0;
    int m_running = 0;
    long m_endedCount = 0;
    bool m_failed = false;
    bool m_shutdown = false;
};
