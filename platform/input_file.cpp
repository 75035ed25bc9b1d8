#include "platform/input_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace
{
struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
}

bool CInputFile::Open(const std::string& path)
{
    Close();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return false;
    OpenMemory(std::move(bytes));
    return true;
}

void CInputFile::OpenMemory(std::vector<std::uint8_t> bytes)
{
    m_bytes = std::move(bytes);
    m_nPosition = 0;
    m_bOpen = true;
}

void CInputFile::Close()
{
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_nPosition = 0;
    m_bOpen = false;
}

std::uint64_t CInputFile::Remaining() const
{
    return m_nPosition < m_bytes.size() ? m_bytes.size() - m_nPosition : 0;
}

std::size_t CInputFile::Read(void* buffer, std::size_t count)
{
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(count, Remaining()));
    if (available > 0)
        std::memcpy(buffer, m_bytes.data() + m_nPosition, available);
    m_nPosition += available;
    return available;
}
