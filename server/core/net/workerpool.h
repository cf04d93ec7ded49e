#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A fixed set of threads working through a bounded queue of jobs.
class WorkerPool
{
public:
    WorkerPool(int threads, std::size_t queueCapacity);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // False when the queue is full or the pool is stopping; the job is not run.
    bool tryPost(std::function<void()> job);
    // Runs the jobs already queued, then ends the threads.
    void stop();

    int threadCount() const { return int(m_threads.size()); }

private:
    void work();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::size_t m_capacity;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
