#include "convert/index_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace
{
constexpr std::size_t kObjectIndices = std::size_t {1} << 16;
}

void CIndexText::Extend(std::vector<Entry>& entries, std::size_t count)
{
    const std::size_t first = entries.size();
    entries.resize(count);
    for (std::size_t value = first; value < count; ++value)
    {
        Entry& entry = entries[value];
        const char* end = std::to_chars(entry.digits, entry.digits + sizeof entry.digits, value).ptr;
        entry.length = static_cast<std::uint8_t>(end - entry.digits);
    }
}

const std::vector<CIndexText::Entry>& CIndexText::ObjectIndices()
{
    static const std::vector<Entry> entries = [] {
        std::vector<Entry> made;
        Extend(made, kObjectIndices);
        return made;
    }();
    return entries;
}

void CIndexText::Prepare(std::size_t count)
{
    count = std::min(count, kMaxPrepared);
    if (m_nPrepared >= count)
        return; // text made for an earlier, larger object serves as well
    if (count <= kObjectIndices)
    {
        m_pTable = ObjectIndices().data();
        m_nPrepared = kObjectIndices;
        return;
    }
    if (m_entries.empty())
        m_entries = ObjectIndices();
    Extend(m_entries, count);
    m_pTable = m_entries.data();
    m_nPrepared = m_entries.size();
}

char* CIndexText::Put(char* out, std::int32_t value) const
{
    if (value >= 0 && static_cast<std::size_t>(value) < m_nPrepared)
    {
        const Entry& entry = m_pTable[static_cast<std::size_t>(value)];
        std::memcpy(out, &entry, sizeof entry);
        return out + entry.length;
    }
    return std::to_chars(out, out + 11, value).ptr;
}
