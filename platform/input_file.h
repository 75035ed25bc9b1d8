#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <memory>
#include <span>
#include <utility>
#include <vector>

// An allocator whose new elements are left uninitialised: a file's bytes are
// read straight into them, so zeroing them first would only cost time.
template <typename T>
struct UninitializedAllocator : std::allocator<T>
{
    template <typename U, typename... Arguments>
    void construct(U* where, Arguments&&... arguments)
    {
        if constexpr (sizeof...(Arguments) == 0)
            ::new (static_cast<void*>(where)) U;
        else
            ::new (static_cast<void*>(where)) U(std::forward<Arguments>(arguments)...);
    }
};

using ByteBuffer = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

// A read-only file served from memory: the whole file is read once when it is
// opened, and its readers take its bytes as one span that knows its end.
class CInputFile
{
public:
    CInputFile() = default;

    // Reads the whole file; false when it cannot be opened or read (a folder,
    // a pipe or a device counts as unreadable, and so does a file too large
    // for memory). Bytes beyond the first 2^32 - 1, which no chunk can
    // reach, are not read. The system error (LastSystemError()) then says
    // why, or is 0 for a pipe or a device. The path is UTF-8.
    bool Open(const std::string& path);

    // Reads standard input to its end, with the same limit as Open.
    bool OpenStandardInput();

    // Serves the given bytes, for tests and fuzzing.
    void OpenMemory(std::vector<std::uint8_t> bytes);

    void Close();

    std::uint64_t GetLength() const { return m_bytes.size(); }

    // The whole file; valid until the file is closed or opened again.
    std::span<const std::uint8_t> Bytes() const { return m_bytes; }

private:
    ByteBuffer m_bytes;
};
