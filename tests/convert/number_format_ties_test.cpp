// FormatReal against printf where six-digit rounding is hardest: values that
// lie exactly halfway between two six-digit results (printf rounds those to
// even), and magnitudes at the edges of the exact integer path, where the
// formatter hands over to std::to_chars.
#include "convert/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace
{

// printf's "%g" in the C locale, with the exponent padded to three digits.
std::string PrintfFormat(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    std::string result = text;
    const std::size_t exponent = result.find('e');
    if (exponent != std::string::npos && result.size() - (exponent + 2) < 3)
        result.insert(exponent + 2, 3 - (result.size() - (exponent + 2)), '0');
    return result;
}

// Checks value and -value; returns false after the first mismatch, so that a
// broken formatter reports one case rather than thousands.
bool MatchesPrintf(double value)
{
    for (double signed_value : {value, -value})
    {
        const std::string expected = PrintfFormat(signed_value);
        const std::string actual = FormatReal(signed_value);
        if (actual != expected)
        {
            ADD_FAILURE() << std::hexfloat << signed_value << std::defaultfloat << ": " << actual << " instead of "
                          << expected;
            return false;
        }
    }
    return true;
}

// Odd multiples of 2^-k have a last decimal digit 5; with seven significant
// digits that 5 is an exact tie, which must go to the even neighbour.
TEST(FormatRealTies, DyadicFractionsRoundHalfToEven)
{
    for (int power = 1; power <= 48; ++power)
    {
        const double unit = std::ldexp(1.0, -power);
        for (std::uint32_t odd = 1; odd < (1u << 13); odd += 2)
            if (!MatchesPrintf(odd * unit))
                return;
    }
}

// 1234565 and 12345650 lie halfway between 1.23456e+006 and 1.23457e+006,
// 123456.5 between 123456 and 123457.
TEST(FormatRealTies, IntegersAndHalvesEndingInFive)
{
    for (std::uint64_t leading = 100000; leading < 1000000; leading += 97)
    {
        const double half = static_cast<double>(leading) + 0.5;
        const double tie = static_cast<double>(leading * 10 + 5);
        if (!MatchesPrintf(half) || !MatchesPrintf(tie) || !MatchesPrintf(tie * 1000) ||
            !MatchesPrintf(std::nextafter(tie, 0.0)) || !MatchesPrintf(std::nextafter(half, INFINITY)))
            return;
    }
}

// Magnitudes around the limits of the integer path on both sides, and the
// smallest normal and largest subnormal doubles.
TEST(FormatRealTies, EdgesOfTheExactPath)
{
    for (int exponent = -75; exponent <= 75; ++exponent)
    {
        const double power = std::ldexp(1.0, exponent);
        for (double value : {power, std::nextafter(power, 0.0), std::nextafter(power, INFINITY), power * 1.2345675,
                             power * 9.9999951})
            if (!MatchesPrintf(value))
                return;
    }
    for (int exponent = -26; exponent <= 26; ++exponent)
    {
        const double power = std::pow(10.0, exponent);
        for (double value : {power * 9.999995, power * 1.000005, power * 5.5})
            if (!MatchesPrintf(value))
                return;
    }
    EXPECT_TRUE(MatchesPrintf(std::numeric_limits<double>::min()));
    EXPECT_TRUE(MatchesPrintf(std::nextafter(std::numeric_limits<double>::min(), 0.0)));
}

} // namespace
