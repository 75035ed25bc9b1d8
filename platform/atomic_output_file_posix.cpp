#include "platform/atomic_output_file.h"

#include "platform/disk_pool.h"
#include "platform/interrupt_cleanup.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Leaves room for the prefix and suffix within the usual 255-byte name limit.
constexpr std::size_t kMaxNameStemBytes = 200;
constexpr int kMaxNameAttempts = 100;

unsigned NextTemporaryNumber()
{
    // Atomic: files may be written from several threads at once.
    static std::atomic<unsigned> counter {0};
    return counter++;
}

std::string TemporaryName(const std::string& folder, std::string_view fileName)
{
    return folder + "/." + std::string(fileName.substr(0, kMaxNameStemBytes)) + "."
           + std::to_string(getpid()) + "-" + std::to_string(NextTemporaryNumber()) + ".tmp";
}

// A file system that cannot sync (EINVAL) still holds the data written.
bool FlushToDisk(int descriptor)
{
    return fsync(descriptor) == 0 || errno == EINVAL;
}

// Runs a cleanup step without letting it overwrite the errno of the failure
// being reported.
template <typename Step>
void KeepingErrno(Step step)
{
    const int saved = errno;
    step();
    errno = saved;
}
} // namespace

// Syncs the data written so far on a thread of the disk pool, while the
// writer goes on: the disk then takes most of a large file while the rest is
// still being made, and the sync at Commit finds little left to do. A sync
// asked for while one runs follows it.
class CAtomicOutputFile::CEarlySync
{
public:
    explicit CEarlySync(int descriptor) : m_nDescriptor(descriptor) {}
    ~CEarlySync() { Finish(false); }
    CEarlySync(const CEarlySync&) = delete;
    CEarlySync& operator=(const CEarlySync&) = delete;

    void Ask()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_bAsked = true;
            if (m_bRunning)
                return;
            m_bRunning = true;
        }
        disk_pool::Run([this] { Run(); });
    }

    // Waits for the sync under way, and for the one asked for if keep; the
    // errno of the first that failed, or 0.
    int Finish(bool keep)
    {
        std::unique_lock lock(m_mutex);
        m_bAsked = m_bAsked && keep;
        m_ended.wait(lock, [this] { return !m_bRunning; });
        return m_nError;
    }

private:
    void Run()
    {
        std::unique_lock lock(m_mutex);
        while (m_bAsked)
        {
            m_bAsked = false;
            lock.unlock();
            // The data alone: the final sync at Commit takes the metadata.
            const int error = fdatasync(m_nDescriptor) == 0 || errno == EINVAL ? 0 : errno;
            lock.lock();
            if (m_nError == 0)
                m_nError = error;
        }
        m_bRunning = false;
        // Under the lock: once Finish sees the end, this object may go.
        m_ended.notify_all();
    }

    const int m_nDescriptor;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_bAsked = false;
    bool m_bRunning = false;
    int m_nError = 0;
};

CAtomicOutputFile::CAtomicOutputFile() = default;

CAtomicOutputFile::~CAtomicOutputFile()
{
    Discard();
}

bool CAtomicOutputFile::Create(const std::string& finalPath)
{
    Discard();
    if (finalPath.empty())
    {
        errno = ENOENT;
        return false;
    }

    std::filesystem::path target = finalPath;
    int mode = 0666; // narrowed by the umask, as for any newly created file
    struct stat info {};
    if (stat(finalPath.c_str(), &info) == 0)
    {
        if (S_ISDIR(info.st_mode))
        {
            errno = EISDIR;
            return false;
        }
        if (!S_ISREG(info.st_mode))
            return OpenDirect(finalPath);
        // Renaming would replace a file that the user may not write to.
        if (access(finalPath.c_str(), W_OK) != 0)
            return false;
        // Replace the file a symbolic link points at, not the link.
        std::error_code error;
        std::filesystem::path resolved = std::filesystem::canonical(target, error);
        if (!error)
            target = std::move(resolved);
        mode = static_cast<int>(info.st_mode & 07777);
    }
    else if (errno != ENOENT)
    {
        return false;
    }

    std::string folder = target.parent_path().string();
    if (folder.empty())
        folder = ".";
    m_strFinalPath = target.string();
    if (!CreateTemporary(folder, target.filename().string(), mode))
    {
        KeepingErrno([this] { Reset(); });
        return false;
    }
    return true;
}

bool CAtomicOutputFile::CreateTemporary(const std::string& folder, const std::string& fileName, int mode)
{
    // An unnamed file where the file system allows: a run killed outright
    // (by the out-of-memory killer, say) then leaves nothing behind.
    if (const int descriptor = temporary_files::CreateUnnamed(folder); descriptor >= 0)
    {
        m_nDescriptor = descriptor;
        m_strFolder = folder;
        m_strFileName = fileName;
        if (mode != 0666 && fchmod(descriptor, static_cast<mode_t>(mode)) != 0)
        {
            KeepingErrno([this] { Discard(); });
            return false;
        }
        return true;
    }
    else if (errno != EOPNOTSUPP)
    {
        return false;
    }
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt)
    {
        std::string path = TemporaryName(folder, fileName);
        // Registered as it is created, so that an interrupt removes it.
        const int descriptor = temporary_files::Create(path);
        if (descriptor < 0)
        {
            if (errno == EEXIST)
                continue;
            return false;
        }
        m_nDescriptor = descriptor;
        m_strWritingPath = std::move(path);
        // An existing file keeps its permission bits; a new one gets the umask's.
        if (mode != 0666 && fchmod(descriptor, static_cast<mode_t>(mode)) != 0)
        {
            KeepingErrno([this] { Discard(); });
            return false;
        }
        return true;
    }
    errno = EEXIST;
    return false;
}

bool CAtomicOutputFile::OpenDirect(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    m_nDescriptor = descriptor;
    m_bDirect = true;
    m_strFinalPath = path;
    m_strWritingPath = path;
    return true;
}

bool CAtomicOutputFile::Write(const char* data, std::size_t count)
{
    if (m_nDescriptor < 0 || m_bFailed)
    {
        errno = m_nDescriptor < 0 ? EBADF : m_nFirstError;
        return false;
    }
    while (count > 0)
    {
        const ssize_t written = ::write(m_nDescriptor, data, count);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            m_bFailed = true;
            m_nFirstError = errno;
            return false;
        }
        data += written;
        count -= static_cast<std::size_t>(written);
        m_nWritten += static_cast<std::uint64_t>(written);
    }
    SyncEarly();
    return true;
}

void CAtomicOutputFile::SyncEarly()
{
    if (m_bDirect || m_nWritten - m_nSyncAsked < kEarlySyncStretch)
        return;
    m_nSyncAsked = m_nWritten;
    if (!m_pEarlySync)
    {
        try
        {
            m_pEarlySync = std::make_unique<CEarlySync>(m_nDescriptor);
        }
        catch (const std::exception&)
        {
            return; // no memory now: Commit syncs what this sync would have
        }
    }
    m_pEarlySync->Ask();
}

int CAtomicOutputFile::FinishEarlySync(bool keep)
{
    if (!m_pEarlySync)
        return 0;
    const int error = m_pEarlySync->Finish(keep);
    m_pEarlySync.reset();
    return error;
}

bool CAtomicOutputFile::CloseDescriptor()
{
    const int descriptor = m_nDescriptor;
    m_nDescriptor = -1;
    return close(descriptor) == 0;
}

bool CAtomicOutputFile::Commit()
{
    if (m_nDescriptor < 0)
    {
        errno = EBADF;
        return false;
    }
    if (m_bFailed)
    {
        // The write error says why (no space, a size limit, a closed pipe);
        // whatever closing the file reports after it would not.
        const int firstError = m_nFirstError;
        Discard();
        errno = firstError;
        return false;
    }
    if (m_bDirect)
    {
        const bool closed = CloseDescriptor();
        KeepingErrno([this] { Reset(); });
        return closed;
    }
    // A failed early sync is reported here: the system may not report the
    // failure to a later sync again.
    if (const int earlyError = FinishEarlySync(true); earlyError != 0)
    {
        Discard();
        errno = earlyError;
        return false;
    }
    // fsync before the rename: otherwise a crash soon after could leave the
    // final name pointing at a file whose data never reached the disk.
    // The rename happens under the interrupt register's lock: an interrupt
    // then finds the file either complete under its final name or still
    // registered, and removes only the latter.
    if (m_strWritingPath.empty())
        return CommitUnnamed();
    if (!FlushToDisk(m_nDescriptor) || !CloseDescriptor()
        || !temporary_files::Rename(m_strWritingPath, m_strFinalPath))
    {
        KeepingErrno([this] { Discard(); });
        return false;
    }
    Reset();
    return true;
}

bool CAtomicOutputFile::CommitUnnamed()
{
    if (!FlushToDisk(m_nDescriptor))
    {
        KeepingErrno([this] { Discard(); });
        return false;
    }
    // A new output takes its name at once; one that replaces a file needs a
    // name of its own in the folder first, renamed over the old one in one
    // step.
    bool named = temporary_files::LinkNew(m_nDescriptor, m_strFinalPath);
    for (int attempt = 0; attempt < kMaxNameAttempts && !named && errno == EEXIST; ++attempt)
        named = temporary_files::LinkAndRename(m_nDescriptor, TemporaryName(m_strFolder, m_strFileName),
                                               m_strFinalPath);
    if (!named)
    {
        KeepingErrno([this] { Discard(); });
        return false;
    }
    // The data reached the disk before the file was named: whatever closing
    // may say now, the output is complete and in place.
    CloseDescriptor();
    Reset();
    return true;
}

void CAtomicOutputFile::Discard()
{
    FinishEarlySync(false); // the file goes: no sync is worth waiting for
    if (m_nDescriptor >= 0)
        CloseDescriptor();
    if (!m_bDirect && !m_strWritingPath.empty())
        temporary_files::Remove(m_strWritingPath);
    Reset();
}

void CAtomicOutputFile::Reset()
{
    m_nDescriptor = -1;
    m_bDirect = false;
    m_bFailed = false;
    m_nFirstError = 0;
    m_nWritten = 0;
    m_nSyncAsked = 0;
    m_strFinalPath.clear();
    m_strWritingPath.clear();
    m_strFolder.clear();
    m_strFileName.clear();
}

bool CAtomicOutputFile::CreateStandardOutput()
{
    Discard();
    // A copy of descriptor 1, so that Commit and Discard close only the copy
    // and later output of the process still reaches standard output.
    const int descriptor = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0)
        return false;
    m_nDescriptor = descriptor;
    m_bDirect = true;
    return true;
}
