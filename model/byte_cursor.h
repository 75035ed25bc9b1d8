#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

// A record of Size bytes taken from the file: its fields are decoded at
// fixed offsets, which the compiler checks against its size.
template <std::size_t Size>
using ByteRecord = std::span<const std::uint8_t, Size>;

// Little-endian decoding of one field of a record.

template <std::size_t Offset, std::size_t Size>
std::uint16_t LoadWord(ByteRecord<Size> record)
{
    static_assert(Offset + 2 <= Size, "the field lies outside its record");
    return static_cast<std::uint16_t>(record[Offset] | (record[Offset + 1] << 8));
}

template <std::size_t Offset, std::size_t Size>
std::uint32_t LoadDword(ByteRecord<Size> record)
{
    static_assert(Offset + 4 <= Size, "the field lies outside its record");
    return std::uint32_t{record[Offset]} | (std::uint32_t{record[Offset + 1]} << 8) |
           (std::uint32_t{record[Offset + 2]} << 16) | (std::uint32_t{record[Offset + 3]} << 24);
}

template <std::size_t Offset, std::size_t Size>
float LoadFloat(ByteRecord<Size> record)
{
    const std::uint32_t bits = LoadDword<Offset>(record);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Records of Size bytes lying one after another, taken whole from the file.
template <std::size_t Size>
class CRecordList
{
public:
    CRecordList() = default;
    explicit CRecordList(std::span<const std::uint8_t> bytes) : m_bytes(bytes)
    {
        assert(bytes.size() % Size == 0);
    }

    std::size_t Count() const { return m_bytes.size() / Size; }
    ByteRecord<Size> operator[](std::size_t index) const
    {
        assert(index < Count());
        return m_bytes.subspan(index * Size).template first<Size>();
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

// A stretch of the file's bytes, read from the front. Every read takes n
// bytes from the stretch and fails, taking nothing, when fewer remain than
// it needs, so that no value is ever read from outside it. Sizes from the
// file are only ever compared against the bytes left, never added to a
// position before that comparison.
//
// Positions are offsets from the file's first byte, so that a walk can tell
// where a stretch lies in the file.
class CByteCursor
{
public:
    // The bytes of file from begin to end, cut at the file's end; empty when
    // begin lies at or after end.
    CByteCursor(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end);

    std::uint64_t Position() const { return m_nPosition; }
    std::uint64_t End() const { return m_nPosition + m_bytes.size(); }
    std::uint64_t Left() const { return m_bytes.size(); }

    // Whether count records of size bytes remain.
    bool Fits(std::uint64_t count, std::uint64_t size) const { return count <= Left() / size; }

    bool Skip(std::uint64_t count);
    // The next count bytes, or all that are left when fewer remain, as a
    // stretch of their own; this one moves past them.
    CByteCursor Split(std::uint64_t count);

    // The next Size bytes; none, taking nothing, when fewer remain.
    template <std::size_t Size>
    std::optional<ByteRecord<Size>> TakeRecord()
    {
        if (Size > Left())
            return std::nullopt;
        const ByteRecord<Size> record = m_bytes.template first<Size>();
        Advance(Size);
        return record;
    }

    // The next count records of Size bytes, all of which must remain.
    template <std::size_t Size>
    bool TakeRecords(std::uint64_t count, CRecordList<Size>& records)
    {
        if (!Fits(count, Size))
            return false;
        const auto bytes = static_cast<std::size_t>(count * Size);
        records = CRecordList<Size>(m_bytes.first(bytes));
        Advance(bytes);
        return true;
    }

    // A word is delivered in the low half of value, its upper half cleared.
    bool ReadWord(std::uint32_t& value);
    bool ReadDword(std::uint32_t& value);

    // Takes a zero-terminated string and its terminator. Without a
    // terminator it takes everything left, text holds that, and the result
    // is false.
    bool ReadString(std::string_view& text);

private:
    CByteCursor(std::span<const std::uint8_t> bytes, std::uint64_t position)
        : m_bytes(bytes), m_nPosition(position)
    {
    }
    void Advance(std::size_t count)
    {
        m_bytes = m_bytes.subspan(count);
        m_nPosition += count;
    }

    std::span<const std::uint8_t> m_bytes; // those not yet read
    std::uint64_t m_nPosition;             // of the first of them in the file
};
