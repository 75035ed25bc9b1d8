#include "model/byte_cursor.h"

#include <algorithm>

CByteCursor::CByteCursor(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end)
{
    const std::uint64_t last = std::min<std::uint64_t>(end, file.size());
    m_nPosition = std::min(begin, last);
    m_bytes = file.subspan(static_cast<std::size_t>(m_nPosition), static_cast<std::size_t>(last - m_nPosition));
}

bool CByteCursor::Skip(std::uint64_t count)
{
    if (count > Left())
        return false;
    Advance(static_cast<std::size_t>(count));
    return true;
}

CByteCursor CByteCursor::Split(std::uint64_t count)
{
    const auto taken = static_cast<std::size_t>(std::min(count, Left()));
    const CByteCursor part(m_bytes.first(taken), m_nPosition);
    Advance(taken);
    return part;
}

bool CByteCursor::ReadWord(std::uint32_t& value)
{
    const auto bytes = TakeRecord<2>();
    if (!bytes)
        return false;
    value = LoadWord<0>(*bytes);
    return true;
}

bool CByteCursor::ReadDword(std::uint32_t& value)
{
    const auto bytes = TakeRecord<4>();
    if (!bytes)
        return false;
    value = LoadDword<0>(*bytes);
    return true;
}

bool CByteCursor::ReadString(std::string_view& text)
{
    const auto terminator = std::find(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(terminator - m_bytes.begin());
    text = std::string_view(reinterpret_cast<const char*>(m_bytes.data()), length);
    const bool terminated = terminator != m_bytes.end();
    Advance(terminated ? length + 1 : length);
    return terminated;
}
