#include "platform/interrupt_cleanup.h"

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_set>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

namespace
{
struct Registry
{
    std::mutex lock;
    std::unordered_set<std::string> paths;
};

// Never destroyed: the thread that waits for signals may still use it while
// static objects are destroyed at the process's end.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

// The signals this process took over; a child process gets them back
// unblocked, as it would have had them without us.
sigset_t g_handledSignals;

void UnblockInChild()
{
    pthread_sigmask(SIG_UNBLOCK, &g_handledSignals, nullptr);
}

// Runs on a thread of its own, where signals are plain events rather than
// interruptions, so nothing here needs to be async-signal-safe.
[[noreturn]] void WaitForSignal(sigset_t signals)
{
    int signal = 0;
    while (sigwait(&signals, &signal) != 0)
    {
    }
    // Kept locked: from now on no temporary file appears and none is renamed.
    Registry& registry = TheRegistry();
    registry.lock.lock();
    for (const std::string& path : registry.paths)
        unlink(path.c_str());

    // End the way the signal would have ended the process, so that the shell
    // and any caller see the usual status.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    // Not reached once the signal is delivered; ends the run all the same.
    _exit(128 + signal);
}
} // namespace

void RemoveTemporaryFilesOnInterrupt()
{
    // One waiting thread is enough; main calls this before any other thread
    // exists, so a plain flag will do.
    static bool started = false;
    if (started)
        return;
    started = true;
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaddset(&signals, signal);
    }
    sigset_t previous;
    if (pthread_sigmask(SIG_BLOCK, &signals, &previous) != 0)
        return;
    try
    {
        std::thread(WaitForSignal, signals).detach();
    }
    catch (const std::system_error&)
    {
        // Without the waiting thread, blocked signals would never end the run.
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return;
    }
    g_handledSignals = signals;
    pthread_atfork(nullptr, nullptr, UnblockInChild);
}

namespace temporary_files
{
int Create(const std::string& path)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return -1;
    try
    {
        registry.paths.insert(path);
    }
    catch (const std::bad_alloc&)
    {
        close(descriptor);
        unlink(path.c_str());
        errno = ENOMEM;
        return -1;
    }
    return descriptor;
}

bool Rename(const std::string& path, const std::string& finalPath)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (std::rename(path.c_str(), finalPath.c_str()) != 0)
        return false;
    registry.paths.erase(path);
    return true;
}

int CreateUnnamed(const std::string& folder)
{
    // Naming the file later goes through /proc; without it the file could
    // never be named.
    if (access("/proc/self/fd", X_OK) != 0)
    {
        errno = EOPNOTSUPP;
        return -1;
    }
    const int descriptor = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    // Kernels and file systems without unnamed files say so in several ways.
    if (descriptor < 0 && (errno == EISDIR || errno == EINVAL))
        errno = EOPNOTSUPP;
    return descriptor;
}

namespace
{
bool Link(int descriptor, const std::string& path)
{
    const std::string descriptorPath = "/proc/self/fd/" + std::to_string(descriptor);
    return linkat(AT_FDCWD, descriptorPath.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}
} // namespace

bool LinkNew(int descriptor, const std::string& finalPath)
{
    // Under the lock, so that an interrupt finds the output either complete
    // under its name or nameless, never on the way.
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return Link(descriptor, finalPath);
}

bool LinkAndRename(int descriptor, const std::string& linkPath, const std::string& finalPath)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (!Link(descriptor, linkPath))
        return false;
    if (std::rename(linkPath.c_str(), finalPath.c_str()) != 0)
    {
        const int error = errno;
        unlink(linkPath.c_str());
        errno = error;
        return false;
    }
    return true;
}

void Remove(const std::string& path)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    unlink(path.c_str());
    registry.paths.erase(path);
}
} // namespace temporary_files
