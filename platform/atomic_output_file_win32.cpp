#include "platform/atomic_output_file.h"

#include "platform/interrupt_cleanup.h"
#include "platform/wide_path_win32.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace
{
// Leaves room for the prefix and suffix within the usual 255-character name limit.
constexpr std::size_t kMaxNameStemCharacters = 200;
constexpr int kMaxNameAttempts = 100;
// WriteFile takes at most a DWORD's worth at a time.
constexpr DWORD kLargestWrite = DWORD {1} << 30;

unsigned NextTemporaryNumber()
{
    // Atomic: files may be written from several threads at once.
    static std::atomic<unsigned> counter {0};
    return counter++;
}

// Where the file name of a path begins.
std::size_t NameStart(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

std::wstring TemporaryName(const std::wstring& finalPath)
{
    const std::size_t nameStart = NameStart(finalPath);
    return finalPath.substr(0, nameStart) + L"." + finalPath.substr(nameStart, kMaxNameStemCharacters) + L"." +
           std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(NextTemporaryNumber()) + L".tmp";
}

// Runs a cleanup step without letting it overwrite the error of the failure
// being reported.
template <typename Step>
void KeepingError(Step step)
{
    const DWORD saved = GetLastError();
    step();
    SetLastError(saved);
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
    const std::wstring target = WidePath(finalPath);
    if (target.empty())
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (target.starts_with(L"\\\\.\\"))
        return OpenDirect(target);
    WIN32_FILE_ATTRIBUTE_DATA info {};
    if (GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &info))
    {
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        // Replacing would succeed on a read-only file only for the rename
        // to fail at the end; and a file that another program holds open
        // without sharing its deletion (a game that loaded it) cannot be
        // replaced. Both are refused before any work is done.
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        const HANDLE existing = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (existing == INVALID_HANDLE_VALUE)
            return false;
        ::CloseHandle(existing);
    }
    else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND)
    {
        return false;
    }

    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt)
    {
        std::wstring path = TemporaryName(target);
        // Registered as it is created, so that an interrupt removes it.
        if (void* file = temporary_files::Create(path))
        {
            m_hFile = file;
            m_strFinalPath = target;
            m_strWritingPath = std::move(path);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return false;
}

bool CAtomicOutputFile::OpenDirect(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_hFile = file;
    m_bDirect = true;
    m_strFinalPath = path;
    return true;
}

bool CAtomicOutputFile::CreateStandardOutput()
{
    Discard();
    // A copy of the handle, so that Commit and Discard close only the copy
    // and later output of the process still reaches standard output.
    const HANDLE process = GetCurrentProcess();
    const HANDLE standardOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE copy = nullptr;
    if (standardOutput == nullptr || standardOutput == INVALID_HANDLE_VALUE)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!DuplicateHandle(process, standardOutput, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    m_hFile = copy;
    m_bDirect = true;
    return true;
}

bool CAtomicOutputFile::Write(const char* data, std::size_t count)
{
    if (m_hFile == nullptr || m_bFailed)
    {
        SetLastError(m_hFile == nullptr ? ERROR_INVALID_HANDLE : m_nFirstError);
        return false;
    }
    while (count > 0)
    {
        DWORD written = 0;
        if (!WriteFile(m_hFile, data, static_cast<DWORD>(std::min<std::size_t>(count, kLargestWrite)), &written,
                       nullptr) ||
            written == 0)
        {
            m_bFailed = true;
            m_nFirstError = written == 0 && GetLastError() == ERROR_SUCCESS ? ERROR_WRITE_FAULT : GetLastError();
            SetLastError(m_nFirstError);
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

void CAtomicOutputFile::CloseHandle()
{
    if (m_hFile != nullptr)
        ::CloseHandle(m_hFile);
    m_hFile = nullptr;
}

bool CAtomicOutputFile::Commit()
{
    if (m_hFile == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (m_bFailed)
    {
        // The write error says why (a full disk, a closed pipe); whatever
        // closing the file reports after it would not.
        const DWORD firstError = m_nFirstError;
        Discard();
        SetLastError(firstError);
        return false;
    }
    if (m_bDirect)
    {
        const bool closed = ::CloseHandle(m_hFile) != 0;
        m_hFile = nullptr;
        KeepingError([this] { Reset(); });
        return closed;
    }
    // Flushed before the rename: otherwise a crash soon after could leave
    // the final name on a file whose data never reached the disk. The
    // rename happens under the interrupt register's lock: an interrupt then
    // finds the file either complete under its final name or still
    // registered, and removes only the latter.
    if (!FlushFileBuffers(m_hFile))
    {
        KeepingError([this] { Discard(); });
        return false;
    }
    CloseHandle();
    if (!temporary_files::Rename(m_strWritingPath, m_strFinalPath))
    {
        KeepingError([this] { Discard(); });
        return false;
    }
    Reset();
    return true;
}

void CAtomicOutputFile::Discard()
{
    CloseHandle();
    if (!m_bDirect && !m_strWritingPath.empty())
        temporary_files::Remove(m_strWritingPath);
    Reset();
}

void CAtomicOutputFile::Reset()
{
    m_hFile = nullptr;
    m_bDirect = false;
    m_bFailed = false;
    m_nFirstError = 0;
    m_strFinalPath.clear();
    m_strWritingPath.clear();
}
