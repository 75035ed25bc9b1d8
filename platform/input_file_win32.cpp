#include "platform/input_file.h"

#include "platform/memory_advice.h"
#include "platform/wide_path_win32.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace
{
// Chunk lengths are 32-bit and the main chunk starts at offset 0, so no chunk
// reaches a byte beyond this many; a larger file is read only this far.
constexpr std::uint64_t kLongestReachable = 0xFFFFFFFFu;
// ReadFile takes at most a DWORD's worth at a time.
constexpr DWORD kLargestRead = DWORD {1} << 30;

class CHandle
{
public:
    explicit CHandle(HANDLE handle) : m_handle(handle) {}
    ~CHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// Reads until count bytes arrived or the end; the number read, or -1.
std::int64_t ReadAll(HANDLE handle, std::uint8_t* data, std::size_t count)
{
    std::size_t got = 0;
    while (got < count)
    {
        DWORD read = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(count - got, kLargestRead));
        if (!ReadFile(handle, data + got, asked, &read, nullptr))
        {
            // The writer of a pipe closing is its end, not a failure.
            if (GetLastError() == ERROR_BROKEN_PIPE)
                break;
            return -1;
        }
        if (read == 0)
            break;
        got += read;
    }
    return static_cast<std::int64_t>(got);
}
} // namespace

bool CInputFile::Open(const std::string& path)
{
    Close();
    // Others may go on reading, writing or even deleting the file: the
    // bytes are read at once, and a file changed meanwhile reads as damaged
    // at worst. Backup semantics let a folder be opened, to be refused below
    // as a folder rather than as a failed open.
    const CHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return false;
    if (GetFileType(file.Get()) != FILE_TYPE_DISK)
    {
        // A pipe or a device has no error of its own to report.
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(file.Get(), &info))
        return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        // What Windows itself answers for a folder opened as a file.
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const std::uint64_t size = (std::uint64_t {info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    // A file too large for memory is one that cannot be read, not a crash.
    ByteBuffer bytes;
    try
    {
        ReserveFresh(bytes, static_cast<std::size_t>(std::min(size, kLongestReachable)));
        bytes.resize(bytes.capacity());
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const std::int64_t read = ReadAll(file.Get(), bytes.data(), bytes.size());
    if (read < 0)
        return false;
    // A file that shrank meanwhile is read as far as it goes.
    bytes.resize(static_cast<std::size_t>(read));
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

bool CInputFile::OpenStandardInput()
{
    Close();
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    // A file says how much is left, so the buffer is made that large at
    // once; for a pipe it grows by half again each time it fills.
    constexpr std::uint64_t kPipeStep = 64 * 1024;
    std::uint64_t expected = kPipeStep;
    LARGE_INTEGER size {}, position {}, zero {};
    if (GetFileType(input) == FILE_TYPE_DISK && GetFileSizeEx(input, &size) &&
        SetFilePointerEx(input, zero, &position, FILE_CURRENT) && position.QuadPart < size.QuadPart)
        expected = static_cast<std::uint64_t>(size.QuadPart - position.QuadPart) + 1; // + 1 to see the end at once
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
            const std::int64_t got = ReadAll(input, bytes.data() + length, bytes.size() - length);
            if (got < 0)
                return false;
            length += static_cast<std::size_t>(got);
            if (length < bytes.size())
                break;
        }
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    // What lies beyond the reachable bytes is read and dropped, so that a
    // program writing into the pipe is not cut off.
    if (length == kLongestReachable)
    {
        std::uint8_t rest[64 * 1024];
        std::int64_t got;
        while ((got = ReadAll(input, rest, sizeof rest)) > 0)
        {
        }
        if (got < 0)
            return false;
    }
    bytes.resize(length);
    m_bytes = std::move(bytes);
    return true;
}
