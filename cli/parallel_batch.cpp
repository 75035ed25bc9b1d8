#include "cli/parallel_batch.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace
{
// Takes the next task until none is left; each result goes to its own slot,
// so no two threads write the same memory.
void WorkThroughTasks(std::atomic<std::size_t>& next, std::size_t taskCount,
                      const std::function<bool(std::size_t)>& task, std::vector<char>& succeeded)
{
    for (std::size_t index = next++; index < taskCount; index = next++)
        succeeded[index] = task(index) ? 1 : 0;
}

unsigned WorkerCount(std::size_t taskCount, unsigned jobCount)
{
    return static_cast<unsigned>(std::min<std::size_t>(taskCount, std::max(jobCount, 1u)));
}
} // namespace

unsigned DefaultJobCount()
{
    return std::max(std::thread::hardware_concurrency(), 1u);
}

bool RunTasks(std::size_t taskCount, unsigned jobCount, const std::function<bool(std::size_t)>& task)
{
    std::vector<char> succeeded(taskCount, 0);
    std::atomic<std::size_t> next {0};
    {
        std::vector<std::jthread> helpers;
        const unsigned workerCount = WorkerCount(taskCount, jobCount);
        for (unsigned i = 1; i < workerCount; ++i)
        {
            try
            {
                helpers.emplace_back(WorkThroughTasks, std::ref(next), taskCount, std::cref(task), std::ref(succeeded));
            }
            catch (const std::system_error&)
            {
                break; // no more threads: the ones running share the rest
            }
        }
        WorkThroughTasks(next, taskCount, task, succeeded);
    } // the helpers are joined here
    return std::all_of(succeeded.begin(), succeeded.end(), [](char ok) { return ok != 0; });
}

void COrderedSlots::Enter(std::size_t index)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_nNext == index && m_nFree > 0; });
    ++m_nNext;
    --m_nFree;
    m_changed.notify_all();
}

void COrderedSlots::Leave()
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_nFree;
    }
    m_changed.notify_all();
}
