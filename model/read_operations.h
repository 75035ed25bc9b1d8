#pragma once

#include "platform/input_file.h"

#include <cstdint>
#include <cstring>
#include <string>

// Little-endian reads of the .3DS format. The Read* operations report whether
// the file delivered every byte, so that a value cut off by the end of the
// file is never used; the Load* operations decode bytes already known to lie
// inside the file.

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

// Reads 2 bytes into the low half of value and clears its upper half.
inline bool ReadWord(CInputFile* file, std::uint32_t& value)
{
    std::uint8_t bytes[2];
    if (file->Read(bytes, 2) != 2)
        return false;
    value = LoadWord(bytes);
    return true;
}

inline bool ReadDword(CInputFile* file, std::uint32_t& value)
{
    std::uint8_t bytes[4];
    if (file->Read(bytes, 4) != 4)
        return false;
    value = LoadDword(bytes);
    return true;
}

inline bool ReadFloat(CInputFile* file, float& value)
{
    std::uint8_t bytes[4];
    if (file->Read(bytes, 4) != 4)
        return false;
    value = LoadFloat(bytes);
    return true;
}

// Whether count records of recordSize bytes lie between the file's position
// and end. Checked before anything is allocated for them.
inline bool FitsInChunk(const CInputFile* file, std::uint64_t end, std::uint64_t count, std::uint64_t recordSize)
{
    const std::uint64_t position = file->GetPosition();
    return position <= end && count * recordSize <= end - position;
}

// Reads a zero-terminated name from the file's position, never past end,
// storing at most 12 characters and a terminator. Returns the offset after
// the terminator, or 0 when the name runs to end without one.
inline std::uint64_t ReadObjectName(CInputFile* file, std::uint64_t end, char (&buffer)[13])
{
    std::uint64_t position = file->GetPosition();
    std::size_t stored = 0;
    const std::uint8_t* bytes = file->Data();
    std::uint64_t after = 0;
    for (; position < end; ++position)
    {
        if (bytes[position] == 0)
        {
            after = position + 1;
            break;
        }
        if (stored < 12)
            buffer[stored++] = static_cast<char>(bytes[position]);
    }
    buffer[stored] = '\0';
    file->Seek(after != 0 ? after : end);
    return after;
}

// Reads a whole zero-terminated string from the file's position, never past
// end, and leaves the file after its terminator. Returns false when the
// string runs to end without a terminator (text then holds what was there).
inline bool ReadString(CInputFile* file, std::uint64_t end, std::string& text)
{
    const std::uint64_t start = file->GetPosition();
    text.clear();
    if (start >= end)
        return false;
    const auto* first = reinterpret_cast<const char*>(file->Data() + start);
    const std::size_t limit = static_cast<std::size_t>(end - start);
    const void* terminator = std::memchr(first, 0, limit);
    const std::size_t length = terminator ? static_cast<std::size_t>(static_cast<const char*>(terminator) - first) : limit;
    text.assign(first, length);
    file->Seek(start + length + (terminator ? 1 : 0));
    return terminator != nullptr;
}
