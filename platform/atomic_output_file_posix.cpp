#include "platform/atomic_output_file.h"

#include "platform/interrupt_cleanup.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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
    StartWriteback();
    return true;
}

void CAtomicOutputFile::StartWriteback()
{
    if (m_bDirect || m_nWritten - m_nWritebackAsked < kWritebackStretch)
        return;
    m_nWritebackAsked = m_nWritten;
    // Starts the writing of the pages so far and returns without waiting for
    // it: unlike a sync, it neither waits for the disk nor makes the file
    // system commit its journal, which would hold up the writes that follow.
    // A file system that cannot do it leaves the work to the final sync.
    if (sync_file_range(m_nDescriptor, 0, 0, SYNC_FILE_RANGE_WRITE) != 0 && errno != EINVAL && errno != ENOSYS &&
        m_nWritebackError == 0)
        m_nWritebackError = errno;
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
    // A failed writeback is reported here: the system may not report the
    // failure to the final sync again.
    if (const int writebackError = m_nWritebackError; writebackError != 0)
    {
        Discard();
        errno = writebackError;
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
    m_nWritebackAsked = 0;
    m_nWritebackError = 0;
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
