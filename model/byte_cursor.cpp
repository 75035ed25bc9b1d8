#include "model/byte_cursor.h"

#include <algorithm>

CByteCursor::CByteCursor(CInputFile& file, std::uint64_t begin, std::uint64_t end)
    : m_file(&file), m_end(std::min(end, file.GetLength()))
{
    m_position = std::min(begin, m_end);
}

bool CByteCursor::Take(std::uint64_t count, const std::uint8_t*& bytes)
{
    if (count > Left())
        return false;
    bytes = m_file->Data() + m_position;
    m_position += count;
    return true;
}

bool CByteCursor::Skip(std::uint64_t count)
{
    const std::uint8_t* skipped = nullptr;
    return Take(count, skipped);
}

CByteCursor CByteCursor::Split(std::uint64_t count)
{
    CByteCursor part = *this;
    part.m_end = m_position + std::min(count, Left());
    m_position = part.m_end;
    return part;
}

bool CByteCursor::Copy(std::uint8_t* bytes, std::uint64_t count)
{
    if (count > Left())
        return false;
    m_file->Seek(m_position);
    m_file->Read(bytes, static_cast<std::size_t>(count));
    m_position += count;
    return true;
}

bool CByteCursor::ReadWord(std::uint32_t& value)
{
    std::uint8_t bytes[2];
    if (!Copy(bytes, sizeof bytes))
        return false;
    value = LoadWord(bytes);
    return true;
}

bool CByteCursor::ReadDword(std::uint32_t& value)
{
    std::uint8_t bytes[4];
    if (!Copy(bytes, sizeof bytes))
        return false;
    value = LoadDword(bytes);
    return true;
}

bool CByteCursor::ReadFloat(float& value)
{
    std::uint8_t bytes[4];
    if (!Copy(bytes, sizeof bytes))
        return false;
    value = LoadFloat(bytes);
    return true;
}

bool CByteCursor::ReadString(std::string_view& text)
{
    text = {};
    if (Left() == 0)
        return false;
    const auto* first = reinterpret_cast<const char*>(m_file->Data() + m_position);
    const void* terminator = std::memchr(first, 0, static_cast<std::size_t>(Left()));
    const std::size_t length =
        terminator ? static_cast<std::size_t>(static_cast<const char*>(terminator) - first) : Left();
    text = std::string_view(first, length);
    m_position += terminator ? length + 1 : length;
    return terminator != nullptr;
}
