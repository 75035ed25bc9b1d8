#pragma once

#include <cstddef>
#include <functional>

// Runs task(0) to task(taskCount - 1), each exactly once, on up to jobCount
// threads at a time, the calling thread among them. Tasks are taken in index
// order as threads become free. Returns true when every task returned true;
// a failed task does not stop the others.
//
// When the system refuses further threads, the tasks still all run on the
// threads that exist.
bool RunTasks(std::size_t taskCount, unsigned jobCount, const std::function<bool(std::size_t)>& task);

// How many threads RunTasks uses for taskCount tasks at jobCount.
unsigned WorkerCount(std::size_t taskCount, unsigned jobCount);

// One job per processor core, at least one.
unsigned DefaultJobCount();
