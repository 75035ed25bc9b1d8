#include "convert/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace
{

// printf's "%g" in the C locale (the tests never change it), with the
// exponent padded to three digits.
std::string ReferenceFormat(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    std::string result = text;
    const std::size_t exponent = result.find('e');
    if (exponent != std::string::npos && result.size() - (exponent + 2) < 3)
        result.insert(exponent + 2, 3 - (result.size() - (exponent + 2)), '0');
    return result;
}

constexpr float kScale = 0.04f;

struct FormatCase
{
    double value;
    const char* expected;
};

class FormatRealTable : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatRealTable, WritesPrintfFormWithThreeDigitExponent)
{
    EXPECT_EQ(FormatReal(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileNumbers, FormatRealTable,
    ::testing::Values(FormatCase {0.5, "0.5"}, FormatCase {25.0 * kScale, "1"},
                      FormatCase {double(0.001f) * kScale, "4e-005"}, FormatCase {1.5e6, "1.5e+006"},
                      FormatCase {double(-0.707106769f), "-0.707107"}, FormatCase {100.0 * kScale, "4"},
                      FormatCase {12.5 * kScale, "0.5"}, FormatCase {0.0, "0"}, FormatCase {-0.0, "-0"},
                      FormatCase {1.0, "1"}, FormatCase {-1.0, "-1"}, FormatCase {123456.0, "123456"},
                      FormatCase {999999.0, "999999"}, FormatCase {999999.5, "1e+006"},
                      FormatCase {1234567.0, "1.23457e+006"}, FormatCase {0.0001, "0.0001"},
                      FormatCase {0.00001, "1e-005"}, FormatCase {0.000123456789, "0.000123457"},
                      FormatCase {1.0e300, "1e+300"}, FormatCase {-2.5e-310, "-2.5e-310"},
                      FormatCase {3.4028234663852886e38, "3.40282e+038"},
                      FormatCase {std::numeric_limits<double>::infinity(), "inf"},
                      FormatCase {-std::numeric_limits<double>::infinity(), "-inf"},
                      FormatCase {std::numeric_limits<double>::quiet_NaN(), "nan"},
                      FormatCase {-std::numeric_limits<double>::quiet_NaN(), "-nan"}));

// Every float bit pattern class appears among random patterns: zeros,
// subnormals, normals of every exponent, infinities and NaNs.
TEST(FormatReal, MatchesPrintfForRandomFloatsAndScaledFloats)
{
    std::mt19937 random(20240601);
    int mismatches = 0;
    for (int i = 0; i < 300000 && mismatches < 10; ++i)
    {
        const std::uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        for (double printed : {double(value), double(value) * kScale})
        {
            const std::string expected = ReferenceFormat(printed);
            const std::string actual = FormatReal(printed);
            if (actual != expected)
            {
                ++mismatches;
                ADD_FAILURE() << "bits 0x" << std::hex << bits << ": " << actual << " instead of " << expected;
            }
        }
    }
}

TEST(FormatReal, MatchesPrintfForRandomDoubles)
{
    std::mt19937_64 random(7);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i)
    {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        const std::string expected = ReferenceFormat(value);
        const std::string actual = FormatReal(value);
        if (actual != expected)
        {
            ++mismatches;
            ADD_FAILURE() << "bits 0x" << std::hex << bits << ": " << actual << " instead of " << expected;
        }
    }
}

// Values near the rounding and form boundaries, where an implementation that
// rounds twice or picks the form before rounding goes wrong.
TEST(FormatReal, MatchesPrintfAtRoundingAndFormBoundaries)
{
    for (int exponent = -320; exponent <= 308; ++exponent)
    {
        const double power = std::pow(10.0, exponent);
        for (double mantissa : {1.0, 9.999995, 9.9999949, 9.9999951, 1.000005, 5.0, 1.234565})
        {
            for (double value : {mantissa * power, std::nextafter(mantissa * power, 0.0),
                                 std::nextafter(mantissa * power, INFINITY)})
            {
                ASSERT_EQ(FormatReal(value), ReferenceFormat(value)) << value;
                ASSERT_EQ(FormatReal(-value), ReferenceFormat(-value)) << -value;
            }
        }
    }
}

TEST(FormatReal, StaysWithinItsStatedRoom)
{
    char text[kMaxRealChars + 1];
    for (double value : {-1.23456e-310, -std::numeric_limits<double>::max(), -std::numeric_limits<double>::denorm_min()})
    {
        std::memset(text, '#', sizeof text);
        const char* end = FormatReal(text, value);
        EXPECT_LE(end - text, static_cast<std::ptrdiff_t>(kMaxRealChars));
        EXPECT_EQ(text[kMaxRealChars], '#');
    }
}

} // namespace
