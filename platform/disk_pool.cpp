#include "platform/disk_pool.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace
{
class CDiskPool
{
public:
    void Run(std::function<void()>& job)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_jobs.size() < disk_pool::kQueuedJobs; });
        if (m_jobs.size() >= m_nIdle && m_nThreads < disk_pool::kThreadCount)
            StartThread();
        if (m_nThreads == 0)
        {
            lock.unlock();
            return job();
        }
        try
        {
            m_jobs.push_back(std::move(job)); // left as it was if this fails
        }
        catch (const std::exception&)
        {
            lock.unlock();
            return job();
        }
        m_queued.notify_one();
    }

private:
    void StartThread()
    {
        try
        {
            // Detached: the pool lives as long as the process.
            std::thread([this] { Serve(); }).detach();
            ++m_nThreads;
            ++m_nIdle;
        }
        catch (const std::exception&)
        {
            // The threads already running take the job.
        }
    }

    [[noreturn]] void Serve()
    {
        std::unique_lock lock(m_mutex);
        for (;;)
        {
            m_queued.wait(lock, [this] { return !m_jobs.empty(); });
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            --m_nIdle;
            m_room.notify_one();
            lock.unlock();
            job();
            job = nullptr; // what it holds goes outside the lock
            lock.lock();
            ++m_nIdle;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_room;
    std::deque<std::function<void()>> m_jobs;
    unsigned m_nThreads = 0;
    unsigned m_nIdle = 0; // threads not running a job
};

// Never destroyed: its threads may run while static objects are destroyed at
// the process's end.
CDiskPool& ThePool()
{
    static CDiskPool* pool = new CDiskPool;
    return *pool;
}
} // namespace

namespace disk_pool
{
void Run(std::function<void()> job)
{
    ThePool().Run(job);
}
} // namespace disk_pool
