#pragma once

#include <cstddef>
#include <condition_variable>
#include <functional>
#include <mutex>

// Runs task(0) to task(taskCount - 1), each exactly once, on up to jobCount
// threads at a time, the calling thread among them. Tasks are taken in index
// order as threads become free. Returns true when every task returned true;
// a failed task does not stop the others.
//
// When the system refuses further threads, the tasks still all run on the
// threads that exist.
bool RunTasks(std::size_t taskCount, unsigned jobCount, const std::function<bool(std::size_t)>& task);

// One job per processor core, at least one.
unsigned DefaultJobCount();

// Lets tasks into a stretch of work in index order, at most limit at a time:
// with more threads than limit, the others wait in Enter until a task
// leaves. The order keeps a batch's messages in the order of its inputs
// where the work allows.
class COrderedSlots
{
public:
    explicit COrderedSlots(unsigned limit) : m_nFree(limit) {}
    // Waits until every lower index has entered and a slot is free.
    void Enter(std::size_t index);
    void Leave();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_nNext = 0;
    unsigned m_nFree;
};
