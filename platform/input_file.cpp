#include "platform/input_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <fcntl.h>
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
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // A file too large for memory is one that cannot be read, not a crash.
    std::vector<std::uint8_t> bytes;
    try
    {
        bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(info.st_size, kLongestReachable)));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return false;
    OpenMemory(std::move(bytes));
    return true;
}

void CInputFile::OpenMemory(std::vector<std::uint8_t> bytes)
{
    m_bytes = std::move(bytes);
    m_nPosition = 0;
    m_nReads = 0;
}

void CInputFile::Close()
{
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_nPosition = 0;
    m_nReads = 0;
}

std::uint64_t CInputFile::Remaining() const
{
    return m_nPosition < m_bytes.size() ? m_bytes.size() - m_nPosition : 0;
}

std::size_t CInputFile::Read(void* buffer, std::size_t count)
{
    ++m_nReads;
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(count, Remaining()));
    if (available > 0)
        std::memcpy(buffer, m_bytes.data() + m_nPosition, available);
    m_nPosition += available;
    return available;
}

bool CInputFile::OpenStandardInput()
{
    Close();
    return false;
}
