#include "convert/index_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cstdint>
#include <string>

namespace
{

std::string Expected(std::int32_t value)
{
    char text[16];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string Written(const CIndexText& indexText, std::int32_t value)
{
    char text[16];
    return std::string(text, indexText.Put(text, value));
}

// Prepared or not, every value comes out as its plain decimal text: the
// table only saves work.
TEST(IndexText, WritesEveryValueAsDecimalText)
{
    CIndexText indexText;
    for (std::size_t prepared : {std::size_t {0}, std::size_t {1}, std::size_t {100}, std::size_t {65536}})
    {
        indexText.Prepare(prepared);
        for (std::int32_t value : {0, 1, 9, 10, 99, 100, 9999, 10000, 65534, 65535, 65536, 1000000, 9999999,
                                   10000000, INT_MAX, -1, -65535, INT_MIN})
            EXPECT_EQ(Written(indexText, value), Expected(value)) << value << " with " << prepared << " prepared";
    }
}

TEST(IndexText, PreparedRangeMatchesToCharsThroughout)
{
    CIndexText indexText;
    indexText.Prepare(70000);
    for (std::int32_t value = 0; value < 70000; ++value)
        ASSERT_EQ(Written(indexText, value), Expected(value));
}

TEST(IndexText, StaysWithinEightBytesForPreparedValues)
{
    CIndexText indexText;
    indexText.Prepare(CIndexText::kMaxPrepared);
    char text[9];
    text[8] = '#';
    const auto largest = static_cast<std::int32_t>(CIndexText::kMaxPrepared - 1);
    EXPECT_EQ(indexText.Put(text, largest) - text, static_cast<std::ptrdiff_t>(Expected(largest).size()));
    EXPECT_EQ(text[8], '#');
}

} // namespace
