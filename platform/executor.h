#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The threads that share a run's work: the calling thread and up to
// threadCount - 1 workers, started as work first needs them. One executor
// serves a whole batch: a file's task uses it again for the file's own
// parts. A thread that waits for work it began runs tasks of that work, and
// of work begun within it, meanwhile; so nesting never leaves every thread
// waiting, and a waiting thread never takes up a task that could keep it
// from what it waits for.
//
// A task may throw: the first exception of a piece of work is rethrown on
// the thread that waits for that work once every task of it has ended, and
// its tasks not yet started are left out. Nothing a task throws escapes a
// worker, which would end the process.
//
// Built on std::thread, std::mutex and std::condition_variable alone.
class CExecutor
{
public:
    // threadCount is the whole budget, the calling thread counted; 0 for
    // DefaultThreadCount(). Workers the system refuses are done without:
    // their share runs on the threads that exist.
    explicit CExecutor(unsigned threadCount = 0);
    // No work may be under way.
    ~CExecutor();
    CExecutor(const CExecutor&) = delete;
    CExecutor& operator=(const CExecutor&) = delete;

    // The budget asked for, whatever number of workers could start.
    unsigned GetThreadCount() const { return m_nThreadCount; }

    // Runs task(0) to task(count - 1), each once, and returns when all have
    // ended. Tasks start in index order, so the files of a batch begin in
    // the order given.
    void ForEach(std::size_t count, const std::function<void(std::size_t)>& task);

    // Makes count texts, make(index, text) filling an empty string, and hands
    // each to consume on the calling thread in index order, as soon as it and
    // every text before it are made. At most kTextsAheadPerThread texts per
    // thread are made ahead of the one consumed, so memory stays near that of
    // the largest texts; their strings are reused, pages and all.
    void MakeInOrder(std::size_t count, const std::function<void(std::size_t, std::string&)>& make,
                     const std::function<void(const std::string&)>& consume);

    static constexpr std::size_t kTextsAheadPerThread = 2;

private:
    struct CWork;
    void Begin(CWork& work);
    void Finish(CWork& work, std::unique_lock<std::mutex>& lock);
    CWork* FindTask(const CWork* within) const;
    void RunTask(CWork& work, std::unique_lock<std::mutex>& lock);
    template <typename Ready>
    void HelpUntil(CWork& work, std::unique_lock<std::mutex>& lock, Ready ready);
    void Wake(std::size_t tasks);
    void Serve();

    // The work whose task this thread is running, if any: work begun now
    // is nested in it.
    static thread_local CWork* s_pRunning;

    const unsigned m_nThreadCount;
    std::mutex m_mutex;
    std::condition_variable m_taskQueued;
    CWork* m_pNewest = nullptr; // work under way, linked from the newest to the oldest
    unsigned m_nIdle = 0;       // workers waiting for a task
    unsigned m_nWorkerLimit;    // threadCount - 1, or fewer once the system refused one
    bool m_bStopping = false;
    std::vector<std::thread> m_workers;
};

// One thread per processor core, at least one.
unsigned DefaultThreadCount();
