// The hand-written formatter against printf's "%g", with the exponent
// padded to three digits, while the process locale writes a decimal comma.
#include "convert/number_format.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <random>

#if !defined(_WIN32)
#include <locale.h>
#endif

namespace
{
// printf's "%g" in the C locale, whatever the process has, with the exponent
// padded to three digits.
std::string Printf(double value)
{
#if defined(_WIN32)
    // No per-thread locale there; std::to_chars is printf's "%g" in the C
    // locale by definition.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr;
    std::string result(text, end);
#else
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t process = uselocale(c);
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    uselocale(process);
    std::string result = text;
#endif
    if (const std::size_t e = result.find('e'); e != std::string::npos && result.size() < e + 5)
        result.insert(e + 2, e + 5 - result.size(), '0');
    return result;
}

// Takes a locale whose decimal point is a comma, as Qt programs take the
// user's; true when one could be had.
bool UseDecimalCommaLocale([[maybe_unused]] const support::TemporaryFolder& folder)
{
#if defined(_WIN32)
    return std::setlocale(LC_ALL, "German_Germany.1252") && *std::localeconv()->decimal_point == ',';
#else
    // Compiled here from its source when none is installed.
    setenv("LOCPATH", folder.Path().c_str(), 1);
    return std::system(("localedef -i de_DE -f ISO-8859-1 " + (folder / "de_DE") + " 2>/dev/null").c_str()) == 0 &&
           std::setlocale(LC_ALL, "de_DE") && *std::localeconv()->decimal_point == ',';
#endif
}

TEST(FormatReal, MatchesPrintfWhateverTheLocale)
{
    support::TemporaryFolder folder;
    const bool comma = UseDecimalCommaLocale(folder);
    const std::pair<double, const char*> table[] = {
        {0.5, "0.5"}, {25 * double(0.04f), "1"}, {double(0.001f) * double(0.04f), "4e-005"}, {1.5e6, "1.5e+006"},
        {double(-0.707106769f), "-0.707107"}, {-0.0, "-0"}, {999999.5, "1e+006"}, {1234567.0, "1.23457e+006"},
        {0.0001, "0.0001"}, {0.000123456789, "0.000123457"}, {1.0e300, "1e+300"}, {-2.5e-310, "-2.5e-310"},
        {3.4028234663852886e38, "3.40282e+038"}, {INFINITY, "inf"}, {-INFINITY, "-inf"}, {NAN, "nan"}, {-NAN, "-nan"}};
    for (const auto& [value, expected] : table)
        EXPECT_EQ(FormatReal(value), expected);

    std::vector<double> values; // every class of float, plain and scaled as positions are, and of double
    std::mt19937_64 random(20240601);
    for (int i = 0; i < 200000; ++i)
        values.insert(values.end(), {std::bit_cast<float>(std::uint32_t(random())), std::bit_cast<float>(std::uint32_t(random())) * double(0.04f),
                                     std::bit_cast<double>(std::uint64_t(random()))});
    for (int exponent = -320; exponent <= 308; ++exponent) // near rounding and form boundaries
        for (double mantissa : {1.0, 9.999995, 9.9999949, 9.9999951, 1.000005, 5.0, 1.234565, 5.5})
            values.push_back(mantissa * std::pow(10.0, exponent));
    for (int exponent = -75; exponent <= 75; ++exponent) // where an exact integer path may end
        for (double factor : {1.0, 1.2345675, 9.9999951})
            values.push_back(std::ldexp(factor, exponent));
    for (int power = 1; power <= 48; ++power) // exact ties at the seventh digit go to the even neighbour
        for (std::uint32_t odd = 1; odd < (1u << 13); odd += 2)
            values.push_back(std::ldexp(odd, -power));
    for (double leading = 100000; leading < 1000000; leading += 97)
        values.insert(values.end(), {leading + 0.5, leading * 10 + 5, leading * 10000 + 5000, 0x1p-1022});

    int mismatches = 0;
    for (double value : values)
        for (double near : {value, -value, std::nextafter(value, 0.0), std::nextafter(value, INFINITY)})
            if (FormatReal(near) != Printf(near) && ++mismatches <= 10)
                ADD_FAILURE() << std::hexfloat << near << ": " << FormatReal(near) << " instead of " << Printf(near);
    EXPECT_EQ(mismatches, 0);
    std::setlocale(LC_ALL, "C");
    if (!comma && TESSALINE_REQUIRE_ALL_TESTS)
        FAIL() << "no locale with a decimal comma could be made: install the locales package";
    if (!comma)
        GTEST_SKIP() << "checked only in the C locale: no locale with a decimal comma could be made";
}

} // namespace
