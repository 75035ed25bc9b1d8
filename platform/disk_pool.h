#pragma once

#include <functional>

// The few threads of the process that wait for the disk on behalf of the
// threads that make the data: an output finished by a batch is synced and
// put in place here while the batch goes on to its next files. Shared by
// every output file; the threads start as they are first needed and stay
// until the process ends.
namespace disk_pool
{
// At most this many jobs wait for the disk at once: enough for the syncs of
// many small files to overlap, few enough to stay out of the way.
inline constexpr unsigned kThreadCount = 8;
// Jobs queued beyond those running before Run makes its caller wait.
inline constexpr unsigned kQueuedJobs = 2 * kThreadCount;

// Runs job on a thread of the pool and returns without waiting for it;
// first, while kQueuedJobs jobs wait for a thread, waits for room, so that
// files made faster than the disk takes them do not pile up open. When no
// thread can be started, or the job cannot be queued, the job runs on the
// calling thread. job must not throw.
void Run(std::function<void()> job);
} // namespace disk_pool
