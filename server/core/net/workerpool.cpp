#include "server/core/net/workerpool.h"

WorkerPool::WorkerPool(int threads, std::size_t queueCapacity) : m_capacity(queueCapacity)
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
    stop();
}

bool WorkerPool::tryPost(std::function<void()> job)
{
    {
        std::lock_guard hold(m_lock);
        if (m_stopping || m_jobs.size() >= m_capacity)
            return false;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
    return true;
}

void WorkerPool::stop()
{
    {
        std::lock_guard hold(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        if (thread.joinable())
            thread.join();
}

void WorkerPool::work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock hold(m_lock);
            m_wake.wait(hold, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}
