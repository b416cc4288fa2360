#include "driver/job_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

namespace {

// A job that blocks until released, so a test decides when it ends.
struct Gate
{
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
    JobPool::Work job(bool result = true)
    {
        return [future = opened, result] {
            future.wait();
            return result;
        };
    }
};

struct Log
{
    std::mutex mutex;
    std::vector<int> order;
    JobPool::Work job(int id, bool result = true)
    {
        return [this, id, result] {
            std::lock_guard lock(mutex);
            order.push_back(id);
            return result;
        };
    }
};

TEST(JobPool, AnOrdinaryJobOvertakesABarrierThatWaitsForARunningJob)
{
    JobPool pool(2);
    Gate gate;
    Log log;
    const int slow = pool.submit(gate.job(), false);
    const int barrier = pool.submit(log.job(1), true);
    const int after = pool.submit(log.job(2), false);
    while (!pool.ended(after))
        pool.waitForAny();
    EXPECT_EQ(pool.state(slow), JobPool::Running);
    EXPECT_EQ(pool.state(barrier), JobPool::Queued);

    gate.open.set_value();
    pool.waitForAll();
    EXPECT_EQ(log.order, (std::vector<int>{2, 1}));
    EXPECT_EQ(pool.state(barrier), JobPool::Succeeded);
    EXPECT_FALSE(pool.failed());
}

TEST(JobPool, AFailureDropsQueuedJobsAndLetsRunningOnesEnd)
{
    JobPool pool(2);
    Gate gate;
    Log log;
    const int running = pool.submit(gate.job(), false);
    const int failing = pool.submit(log.job(1, false), false);
    while (!pool.ended(failing))
        pool.waitForAny();
    EXPECT_TRUE(pool.failed());
    const int late = pool.submit(log.job(2), false);
    EXPECT_EQ(pool.state(late), JobPool::Dropped);

    gate.open.set_value();
    pool.waitForAll();
    EXPECT_EQ(pool.state(running), JobPool::Succeeded);
    EXPECT_EQ(pool.state(failing), JobPool::Failed);
    EXPECT_EQ(log.order, (std::vector<int>{1}));
}

TEST(JobPool, NeverRunsMoreJobsThanWorkersAndRunsEveryJobOnce)
{
    constexpr int kWorkers = 3;
    JobPool pool(kWorkers);
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    std::atomic<int> runs{0};
    for (int i = 0; i < 60; ++i) {
        pool.submit([&] {
            const int now = ++running;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::yield();
            ++runs;
            --running;
            return true;
        }, i % 10 == 9);
    }
    pool.waitForAll();
    EXPECT_EQ(runs.load(), 60);
    EXPECT_LE(most.load(), kWorkers);
    EXPECT_EQ(pool.queued(), 0);
}

} // namespace
