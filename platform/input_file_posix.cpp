#include "platform/input_file.h"

#include "platform/memory_advice.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Chunk lengths are 32-bit and the main chunk starts at offset 0, so no chunk
// reaches a byte beyond this many; a larger file is read only this far.
constexpr std::uint64_t kLongestReachable = 0xFFFFFFFFu;
}

bool CInputFile::Open(const std::string& path)
{
    Close();
    // Opening a pipe blocks until a writer appears unless O_NONBLOCK is
    // given; anything but a regular file is refused below in any case.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(descriptor, "rb"));
    if (!file)
    {
        ::close(descriptor);
        return false;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode))
    {
        // A pipe or a device has no error of its own to report.
        errno = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return false;
    }
    // A file too large for memory is one that cannot be read, not a crash.
    ByteBuffer bytes;
    try
    {
        ReserveFresh(bytes, static_cast<std::size_t>(std::min<std::uint64_t>(info.st_size, kLongestReachable)));
        bytes.resize(bytes.capacity());
    }
    catch (const std::bad_alloc&)
    {
        errno = ENOMEM;
        return false;
    }
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return false;
    m_bytes = std::move(bytes);
    return true;
}

void CInputFile::OpenMemory(std::vector<std::uint8_t> bytes)
{
    m_bytes = ByteBuffer(bytes.begin(), bytes.end());
}

void CInputFile::Close()
{
    m_bytes.clear();
    m_bytes.shrink_to_fit();
}

namespace
{
// Reads what is there, waiting when descriptor 0 was left non-blocking by
// whoever started us; 0 at the end, -1 with errno on an error.
ssize_t ReadSome(int descriptor, void* buffer, std::size_t count)
{
    for (;;)
    {
        const ssize_t got = ::read(descriptor, buffer, count);
        if (got >= 0)
            return got;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
        {
            pollfd ready{descriptor, POLLIN, 0};
            ::poll(&ready, 1, -1);
        }
        else if (errno != EINTR)
        {
            return -1;
        }
    }
}
} // namespace

bool CInputFile::OpenStandardInput()
{
    Close();
    constexpr int kDescriptor = STDIN_FILENO;
    // A regular file says how much is left, so the buffer is made that large
    // at once; for a pipe it grows by half again each time it fills.
    constexpr std::uint64_t kPipeStep = 64 * 1024;
    std::uint64_t expected = kPipeStep;
    struct stat info {};
    if (fstat(kDescriptor, &info) != 0)
        return false;
    if (S_ISREG(info.st_mode))
    {
        const off_t position = ::lseek(kDescriptor, 0, SEEK_CUR);
        if (position >= 0 && position < info.st_size)
            expected = static_cast<std::uint64_t>(info.st_size - position) + 1; // + 1 to see the end at once
    }
    ByteBuffer bytes;
    std::size_t length = 0;
    try
    {
        bytes.resize(static_cast<std::size_t>(std::min(expected, kLongestReachable)));
        while (length < kLongestReachable)
        {
            if (length == bytes.size())
            {
                const std::uint64_t grown = length + std::max<std::uint64_t>(length / 2, kPipeStep);
                bytes.resize(static_cast<std::size_t>(std::min(grown, kLongestReachable)));
            }
            const ssize_t got = ReadSome(kDescriptor, bytes.data() + length, bytes.size() - length);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            length += static_cast<std::size_t>(got);
        }
    }
    catch (const std::bad_alloc&)
    {
        errno = ENOMEM;
        return false;
    }
    // What lies beyond the reachable bytes is read and dropped, so that a
    // program writing into the pipe is not cut off.
    if (length == kLongestReachable)
    {
        char rest[64 * 1024];
        ssize_t got;
        while ((got = ReadSome(kDescriptor, rest, sizeof rest)) > 0)
        {
        }
        if (got < 0)
            return false;
    }
    bytes.resize(length);
    m_bytes = std::move(bytes);
    return true;
}
