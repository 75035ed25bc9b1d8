#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <memory>
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
// opened, and every later read is a bounds-checked copy out of that buffer.
// A read that runs past the end delivers only the bytes that exist.
class CInputFile
{
public:
    CInputFile() = default;

    // Reads the whole file; false when it cannot be opened or read (a folder,
    // a pipe or a device counts as unreadable, and so does a file too large
    // for memory). Bytes beyond the first 2^32 - 1, which no chunk can
    // reach, are not read. errno then says why, or is 0 for a pipe or a
    // device.
    bool Open(const std::string& path);

    // Reads standard input to its end, with the same limit as Open.
    bool OpenStandardInput();

    // Serves the given bytes, for tests and fuzzing.
    void OpenMemory(std::vector<std::uint8_t> bytes);

    void Close();

    // Moves to an absolute offset; an offset past the end is allowed and
    // makes the next read deliver nothing.
    void Seek(std::uint64_t offset) { m_nPosition = offset; }

    // Copies up to count bytes and returns how many were copied.
    std::size_t Read(void* buffer, std::size_t count);

    // How many reads the file has served since it was opened: a measure of
    // the work a load does, which must stay proportional to the file's size.
    std::uint64_t GetReadCount() const { return m_nReads; }

    std::uint64_t GetLength() const { return m_bytes.size(); }

    // The bytes from the current position to the end of the file.
    std::uint64_t Remaining() const;
    const std::uint8_t* Data() const { return m_bytes.data(); }

private:
    void Adopt(ByteBuffer bytes);

    ByteBuffer m_bytes;
    std::uint64_t m_nPosition = 0;
    std::uint64_t m_nReads = 0;
};
