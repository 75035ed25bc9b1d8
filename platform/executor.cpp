#include "platform/executor.h"

#include <algorithm>
#include <exception>

// A piece of work: tasks of one body by index, handed out in index order.
struct CExecutor::CWork
{
    explicit CWork(const std::function<void(std::size_t)>& body, std::size_t limit) : task(body), nLimit(limit) {}

    // Not after a task threw: the work is then given up.
    bool HasTask() const { return !error && nNext < nLimit; }

    // This work, or work begun inside its tasks.
    bool IsWithin(const CWork* outer) const
    {
        for (const CWork* work = this; work; work = work->pParent)
            if (work == outer)
                return true;
        return false;
    }

    const std::function<void(std::size_t)>& task;
    CWork* pParent = nullptr; // the work whose task began this one
    CWork* pOlder = nullptr;
    CWork* pNewer = nullptr;
    std::size_t nNext = 0;    // the next index to hand out
    std::size_t nLimit;       // indices below it may be handed out
    std::size_t nRunning = 0; // tasks handed out that have not ended
    std::exception_ptr error; // the first a task threw
    std::condition_variable taskEnded;
};

thread_local CExecutor::CWork* CExecutor::s_pRunning = nullptr;

unsigned DefaultThreadCount()
{
    return std::max(std::thread::hardware_concurrency(), 1u);
}

CExecutor::CExecutor(unsigned threadCount)
    : m_nThreadCount(threadCount != 0 ? threadCount : DefaultThreadCount()), m_nWorkerLimit(m_nThreadCount - 1)
{
    try
    {
        m_workers.reserve(m_nWorkerLimit);
    }
    catch (const std::exception&)
    {
        m_nWorkerLimit = 0; // the calling thread alone
    }
}

CExecutor::~CExecutor()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStopping = true;
    }
    m_taskQueued.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

void CExecutor::ForEach(std::size_t count, const std::function<void(std::size_t)>& task)
{
    if (m_nThreadCount <= 1 || count <= 1)
    {
        for (std::size_t i = 0; i < count; ++i)
            task(i);
        return;
    }
    CWork work(task, count);
    std::unique_lock lock(m_mutex);
    Begin(work);
    HelpUntil(work, lock, [&] { return !work.HasTask(); });
    Finish(work, lock);
    if (work.error)
        std::rethrow_exception(work.error);
}

void CExecutor::MakeInOrder(std::size_t count, const std::function<void(std::size_t, std::string&)>& make,
                            const std::function<void(const std::string&)>& consume)
{
    if (m_nThreadCount <= 1 || count <= 1)
    {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
        {
            text.clear();
            make(i, text);
            consume(text);
        }
        return;
    }
    // Each text is made in its own string and then marked, under the lock,
    // for the consumer; the string of a consumed text goes to the text
    // that takes its place in the window before that one is handed out.
    std::vector<std::string> texts(count);
    std::vector<char> made(count, 0);
    const std::function<void(std::size_t)> task = [&](std::size_t index) {
        make(index, texts[index]);
        const std::lock_guard lock(m_mutex);
        made[index] = 1;
    };
    CWork work(task, std::min(count, kTextsAheadPerThread * m_nThreadCount));
    std::unique_lock lock(m_mutex);
    Begin(work);
    try
    {
        for (std::size_t i = 0; i < count; ++i)
        {
            HelpUntil(work, lock, [&] { return made[i] != 0 || work.error; });
            if (work.error)
                break;
            std::string text = std::move(texts[i]);
            lock.unlock();
            consume(text);
            text.clear();
            lock.lock();
            if (work.nLimit < count)
            {
                texts[work.nLimit++] = std::move(text);
                Wake(1);
            }
        }
    }
    catch (...)
    {
        if (!lock.owns_lock())
            lock.lock();
        Finish(work, lock);
        throw;
    }
    Finish(work, lock);
    if (work.error)
        std::rethrow_exception(work.error);
}

// Under the lock, as every function below.
void CExecutor::Begin(CWork& work)
{
    work.pParent = s_pRunning;
    work.pOlder = m_pNewest;
    if (m_pNewest)
        m_pNewest->pNewer = &work;
    m_pNewest = &work;
    Wake(work.nLimit - 1); // the calling thread takes one
}

// Gives up the tasks not yet handed out and waits for the others to end:
// the work's state lives on its caller's stack.
void CExecutor::Finish(CWork& work, std::unique_lock<std::mutex>& lock)
{
    work.nLimit = work.nNext;
    HelpUntil(work, lock, [&] { return work.nRunning == 0; });
    (work.pNewer ? work.pNewer->pOlder : m_pNewest) = work.pOlder;
    if (work.pOlder)
        work.pOlder->pNewer = work.pNewer;
}

// The newest work with a task to hand out, or with within, the newest of
// within and the work begun inside its tasks: a thread that waits for
// within takes nothing that could hold it up for longer.
CExecutor::CWork* CExecutor::FindTask(const CWork* within) const
{
    for (CWork* work = m_pNewest; work; work = work->pOlder)
        if (work->HasTask() && (!within || work->IsWithin(within)))
            return work;
    return nullptr;
}

void CExecutor::RunTask(CWork& work, std::unique_lock<std::mutex>& lock)
{
    const std::size_t index = work.nNext++;
    ++work.nRunning;
    lock.unlock();
    CWork* const outer = s_pRunning;
    s_pRunning = &work;
    std::exception_ptr error;
    try
    {
        work.task(index);
    }
    catch (...)
    {
        error = std::current_exception();
    }
    s_pRunning = outer;
    lock.lock();
    --work.nRunning;
    if (error && !work.error)
        work.error = error;
    // Under the lock: once the waiter sees the task ended, the work is gone.
    work.taskEnded.notify_all();
}

template <typename Ready>
void CExecutor::HelpUntil(CWork& work, std::unique_lock<std::mutex>& lock, Ready ready)
{
    while (!ready())
    {
        if (CWork* task = FindTask(&work))
            RunTask(*task, lock);
        else
            work.taskEnded.wait(lock);
    }
}

// Tells idle workers of new tasks, and starts workers for those that idle
// ones cannot take, within the budget.
void CExecutor::Wake(std::size_t tasks)
{
    const std::size_t idle = std::min<std::size_t>(tasks, m_nIdle);
    for (std::size_t i = 0; i < idle; ++i)
        m_taskQueued.notify_one();
    for (std::size_t more = tasks - idle; more > 0 && m_workers.size() < m_nWorkerLimit; --more)
    {
        try
        {
            m_workers.emplace_back([this] { Serve(); });
        }
        catch (const std::exception&)
        {
            // The threads that exist share the rest, now and later.
            m_nWorkerLimit = static_cast<unsigned>(m_workers.size());
        }
    }
}

void CExecutor::Serve()
{
    std::unique_lock lock(m_mutex);
    for (;;)
    {
        if (CWork* work = FindTask(nullptr))
        {
            RunTask(*work, lock);
            continue;
        }
        if (m_bStopping)
            return;
        ++m_nIdle;
        m_taskQueued.wait(lock);
        --m_nIdle;
    }
}
