#include "convert/index_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

void CIndexText::Prepare(std::size_t count)
{
    count = std::min(count, kMaxPrepared);
    if (m_entries.size() >= count)
        return; // text made for an earlier, larger object serves as well
    const std::size_t first = m_entries.size();
    m_entries.resize(count);
    for (std::size_t value = first; value < count; ++value)
    {
        Entry& entry = m_entries[value];
        const char* end = std::to_chars(entry.digits, entry.digits + sizeof entry.digits, value).ptr;
        entry.length = static_cast<std::uint8_t>(end - entry.digits);
    }
}

char* CIndexText::Put(char* out, std::int32_t value) const
{
    if (value >= 0 && static_cast<std::size_t>(value) < m_entries.size())
    {
        const Entry& entry = m_entries[static_cast<std::size_t>(value)];
        std::memcpy(out, &entry, sizeof entry);
        return out + entry.length;
    }
    return std::to_chars(out, out + 11, value).ptr;
}
