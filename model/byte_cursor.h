#pragma once

#include "platform/input_file.h"

#include <cstdint>
#include <cstring>
#include <string_view>

// Little-endian decoding of bytes already taken from the file.

inline std::uint16_t LoadWord(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t LoadDword(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

inline float LoadFloat(const std::uint8_t* bytes)
{
    const std::uint32_t bits = LoadDword(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A stretch [position, end) of the file's bytes, read from the front. Every
// read takes bytes from the stretch and fails, taking nothing, when fewer
// remain than it needs, so that no value is ever read from outside it.
// Sizes from the file are only ever compared against the bytes left, never
// added to a position before that comparison.
//
// The number values (words, dwords, floats) are copied through the file and
// count as one read each in CInputFile::GetReadCount; records taken in bulk
// do not count.
class CByteCursor
{
public:
    // The bytes of the file from begin to end, cut at the file's end; empty
    // when begin lies at or after end.
    CByteCursor(CInputFile& file, std::uint64_t begin, std::uint64_t end);

    std::uint64_t Position() const { return m_position; }
    std::uint64_t End() const { return m_end; }
    std::uint64_t Left() const { return m_end - m_position; }

    // Whether count records of size bytes remain.
    bool Fits(std::uint64_t count, std::uint64_t size) const { return count <= Left() / size; }

    // Points bytes at the next count bytes and moves past them.
    bool Take(std::uint64_t count, const std::uint8_t*& bytes);
    bool Skip(std::uint64_t count);
    // The next count bytes, or all that are left when fewer remain, as a
    // stretch of their own; this one moves past them.
    CByteCursor Split(std::uint64_t count);

    // A word is delivered in the low half of value, its upper half cleared.
    bool ReadWord(std::uint32_t& value);
    bool ReadDword(std::uint32_t& value);
    bool ReadFloat(float& value);

    // Takes a zero-terminated string and its terminator. Without a
    // terminator it takes everything left, text holds that, and the result
    // is false.
    bool ReadString(std::string_view& text);

private:
    bool Copy(std::uint8_t* bytes, std::uint64_t count);

    CInputFile* m_file;
    std::uint64_t m_position;
    std::uint64_t m_end;
};
