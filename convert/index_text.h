#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decimal text of the vertex indices 0 to count - 1, made once per object:
// every vertex appears in several face lines, and copying prepared text costs
// less than converting the number each time.
class CIndexText
{
public:
    // Makes sure the text of 0 to count - 1 (at most kMaxPrepared) is ready.
    void Prepare(std::size_t count);

    // Writes value in decimal and returns the end. Writes up to 8 bytes from
    // out even for shorter numbers, or 11 for values not prepared, so out
    // needs that much room.
    char* Put(char* out, std::int32_t value) const;

    // Beyond the 65,535 vertices of a .3DS object, for merged frames; larger
    // indices are converted as they come, so the table stays at 8 MB.
    static constexpr std::size_t kMaxPrepared = std::size_t {1} << 20;

private:
    // The digits (at most 7) and, in the last byte, their count: copied as
    // one 8-byte block.
    struct Entry
    {
        char digits[7];
        std::uint8_t length;
    };
    std::vector<Entry> m_entries;
};
