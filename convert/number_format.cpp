#include "convert/number_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

// Every vertex line holds eight reals, so formatting them is most of the
// writer's time. Normal doubles take an exact integer path: the value is
// m * 2^e with a 53-bit m, and m * 2^e * 10^k is computed in 128-bit integers,
// so the six digits come out rounded half to even on the exact value, as
// printf rounds them. Zeros, subnormals, infinities, NaNs and magnitudes the
// integer path cannot hold go through std::to_chars, which is exact too.

namespace
{
constexpr std::ptrdiff_t kExponentDigits = 3;
constexpr int kSignificantDigits = 6;
constexpr std::uint32_t kSmallestSixDigits = 100000;
constexpr std::uint32_t kSmallestSevenDigits = 1000000;

using Wide = unsigned __int128;

// to_chars writes the exponent with at least two digits, as C printf does;
// the file's form pads it to three.
char* WidenExponent(char* first, char* last)
{
    char* exponent = std::find(first, last, 'e');
    if (exponent == last)
        return last;
    char* digits = exponent + 2; // past 'e' and the sign
    const std::ptrdiff_t missing = kExponentDigits - (last - digits);
    if (missing <= 0)
        return last;
    std::memmove(digits + missing, digits, static_cast<std::size_t>(last - digits));
    std::fill(digits, digits + missing, '0');
    return last + missing;
}

char* FormatWithToChars(char* out, double value)
{
    // Leave room for the zeros WidenExponent inserts.
    const auto result = std::to_chars(out, out + kMaxRealChars - kExponentDigits, value,
                                      std::chars_format::general, kSignificantDigits);
    return WidenExponent(out, result.ptr);
}

template <int Count>
constexpr std::array<std::uint64_t, Count> PowersOf(std::uint64_t base)
{
    std::array<std::uint64_t, Count> powers {};
    std::uint64_t power = 1;
    for (auto& entry : powers)
    {
        entry = power;
        power *= base;
    }
    return powers;
}

// 5^27 and 10^19 are the largest powers that fit 64 bits.
constexpr auto kPowersOfFive = PowersOf<28>(5);
constexpr auto kPowersOfTen = PowersOf<20>(10);
// Binary shifts that keep a 53-bit mantissa, or a 64-bit power of ten, well
// inside 128 bits.
constexpr int kMaxShift = 60;

// A magnitude scaled to an integer: truncated quotient, and where the cut-off
// part lies against one half of the last digit.
struct Scaled
{
    std::uint64_t quotient = 0;
    int againstHalf = 0; // -1 below, 0 exactly half, 1 above
};

int CompareWithHalf(Wide remainder, Wide divisor)
{
    const Wide twice = remainder * 2; // remainder < divisor < 2^127
    return twice < divisor ? -1 : (twice == divisor ? 0 : 1);
}

// The common case in 64 bits: a positive decimal shift whose product with
// the mantissa (trailing zero bits removed) fits, and a right shift after it.
// Floats have at most 24 significant bits, and a float times the position
// scale at most 48, so nearly every number of a model takes this path.
inline bool ScaleNarrow(std::uint64_t mantissa, int binaryExponent, int decimalShift, Scaled& scaled)
{
    const int zeros = std::countr_zero(mantissa);
    mantissa >>= zeros;
    binaryExponent += zeros;
    const int shift = -(binaryExponent + decimalShift);
    if (decimalShift < 0 || decimalShift >= static_cast<int>(kPowersOfFive.size()) || shift <= 0 || shift >= 64)
        return false;
    const std::uint64_t power = kPowersOfFive[static_cast<std::size_t>(decimalShift)];
    if (std::bit_width(mantissa) + std::bit_width(power) > 64)
        return false;
    const std::uint64_t numerator = mantissa * power;
    const std::uint64_t half = std::uint64_t {1} << (shift - 1);
    const std::uint64_t remainder = numerator & ((half << 1) - 1);
    scaled.quotient = numerator >> shift;
    // Without branches: the cut-off part of real data is as often below one
    // half as above it.
    scaled.againstHalf = static_cast<int>(remainder > half) - static_cast<int>(remainder < half);
    return true;
}

// ScaleExactly beyond 64 bits; kept out of line, so that the common case
// inlines into its caller.
[[gnu::noinline]] bool ScaleWide(std::uint64_t mantissa, int binaryExponent, int decimalShift, Scaled& scaled)
{
    Wide quotient = 0;
    if (decimalShift >= 0)
    {
        // 10^k = 5^k * 2^k: multiply by 5^k, then shift by the binary exponent.
        if (decimalShift >= static_cast<int>(kPowersOfFive.size()))
            return false;
        const Wide numerator = static_cast<Wide>(mantissa) * kPowersOfFive[static_cast<std::size_t>(decimalShift)];
        const int shift = binaryExponent + decimalShift;
        if (shift >= 0)
        {
            if (shift > 127 || (numerator >> (127 - shift)) != 0)
                return false;
            quotient = numerator << shift;
            scaled.againstHalf = -1;
        }
        else
        {
            if (-shift > 126)
                return false;
            quotient = numerator >> -shift;
            const Wide remainder = numerator - (quotient << -shift);
            scaled.againstHalf = CompareWithHalf(remainder, static_cast<Wide>(1) << -shift);
        }
    }
    else
    {
        if (-decimalShift >= static_cast<int>(kPowersOfTen.size()) || binaryExponent > kMaxShift ||
            -binaryExponent > kMaxShift)
            return false;
        Wide numerator = mantissa;
        Wide divisor = kPowersOfTen[static_cast<std::size_t>(-decimalShift)];
        if (binaryExponent >= 0)
            numerator <<= binaryExponent;
        else
            divisor <<= -binaryExponent;
        quotient = numerator / divisor;
        scaled.againstHalf = CompareWithHalf(numerator - quotient * divisor, divisor);
    }
    if (quotient >> 64)
        return false;
    scaled.quotient = static_cast<std::uint64_t>(quotient);
    return true;
}

// mantissa * 2^binaryExponent * 10^decimalShift, exactly. False when the
// numbers would leave 128 bits.
inline bool ScaleExactly(std::uint64_t mantissa, int binaryExponent, int decimalShift, Scaled& scaled)
{
    return ScaleNarrow(mantissa, binaryExponent, decimalShift, scaled) ||
           ScaleWide(mantissa, binaryExponent, decimalShift, scaled);
}

// The six significant digits of a magnitude, and the decimal exponent of the
// first one, after rounding.
struct SixDigits
{
    std::uint32_t digits = 0; // 100000 to 999999
    int exponent = 0;
};

// Powers of ten as doubles for the exponents the integer path covers; those
// below 1 are rounded, which only matters within an ulp of them.
constexpr int kLowestTabledPower = -30;
constexpr int kHighestTabledPower = 30;
constexpr auto kPowerOfTenValues = [] {
    std::array<double, kHighestTabledPower - kLowestTabledPower + 1> powers {};
    double power = 1;
    for (int n = 0; n <= kHighestTabledPower; ++n, power *= 10)
        powers[static_cast<std::size_t>(n - kLowestTabledPower)] = power;
    power = 1;
    for (int n = 0; n >= kLowestTabledPower; --n, power /= 10)
        powers[static_cast<std::size_t>(n - kLowestTabledPower)] = power;
    return powers;
}();

// floor(log10(magnitude)), or one off next to a power of ten.
int EstimateDecimalExponent(int biasedExponent, double magnitude)
{
    // floor(log10(2^p)) for the value's power of two p: the decimal exponent
    // or one below it; the table decides which.
    const int estimate = ((biasedExponent - 1023) * 78913) >> 18;
    const int next = estimate + 1;
    if (next < kLowestTabledPower || next > kHighestTabledPower)
        return estimate;
    return magnitude >= kPowerOfTenValues[static_cast<std::size_t>(next - kLowestTabledPower)] ? next : estimate;
}

// For a normal double's bits without the sign; false when the value needs
// the general path.
bool RoundToSixDigits(std::uint64_t bits, SixDigits& result)
{
    const int biasedExponent = static_cast<int>(bits >> 52);
    if (biasedExponent == 0 || biasedExponent == 0x7FF)
        return false; // zero, subnormal, infinity, NaN
    const std::uint64_t mantissa = (bits & ((std::uint64_t {1} << 52) - 1)) | (std::uint64_t {1} << 52);
    const int binaryExponent = biasedExponent - 1075;
    int exponent = EstimateDecimalExponent(biasedExponent, std::bit_cast<double>(bits));
    Scaled scaled;
    if (!ScaleExactly(mantissa, binaryExponent, kSignificantDigits - 1 - exponent, scaled))
        return false;
    // The estimate can be one off right at a power of ten: the scaled value
    // then has seven or five digits, and one more try settles it.
    if (scaled.quotient >= kSmallestSevenDigits || scaled.quotient < kSmallestSixDigits)
    {
        exponent += scaled.quotient >= kSmallestSevenDigits ? 1 : -1;
        if (!ScaleExactly(mantissa, binaryExponent, kSignificantDigits - 1 - exponent, scaled))
            return false;
        if (scaled.quotient >= kSmallestSevenDigits || scaled.quotient < kSmallestSixDigits)
            return false;
    }
    auto digits = static_cast<std::uint32_t>(scaled.quotient);
    digits += static_cast<std::uint32_t>(scaled.againstHalf > 0) | ((scaled.againstHalf == 0) & (digits & 1));
    if (digits == kSmallestSevenDigits) // 999999.5 rounds up to a new digit
    {
        digits = kSmallestSixDigits;
        ++exponent;
    }
    result = {digits, exponent};
    return true;
}

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

char* PutPair(char* out, std::uint32_t value)
{
    std::memcpy(out, kDigitPairs + 2 * value, 2);
    return out + 2;
}

// The pair's first character in the low byte.
std::uint64_t LoadPair(std::uint32_t value)
{
    const char* pair = kDigitPairs + 2 * value;
    return std::uint64_t {static_cast<unsigned char>(pair[0])} |
           (std::uint64_t {static_cast<unsigned char>(pair[1])} << 8);
}

// The six digits as characters in one register, the first in the lowest
// byte. Built and copied as a whole: storing them one pair at a time and
// reading them back wider would stall on store forwarding.
struct DigitText
{
    std::uint64_t characters = 0;
    int significant = 0; // without trailing zeros, at least 1
};

DigitText SpellDigits(std::uint32_t digits)
{
    DigitText text;
    text.characters =
        LoadPair(digits / 10000) | (LoadPair(digits / 100 % 100) << 16) | (LoadPair(digits % 100) << 32);
    // Bytes that are not '0' stay non-zero; the highest of them is the last
    // significant digit (the first digit is never '0').
    const std::uint64_t nonZeros = text.characters ^ 0x303030303030u;
    text.significant = (63 - std::countl_zero(nonZeros)) / 8 + 1;
    return text;
}

// Copies count (at most 6) digits from position first with one 8-byte move;
// the bytes past count lie beyond the end returned, inside the stated room,
// and are overwritten by whatever follows.
char* PutDigits(char* out, const DigitText& text, int first, int count)
{
    std::uint64_t moved = text.characters >> (8 * first);
    if constexpr (std::endian::native == std::endian::big)
        moved = __builtin_bswap64(moved); // memory order: the first digit first
    std::memcpy(out, &moved, sizeof moved);
    return out + count;
}

// Stores eight characters, the lowest byte first.
void StoreText(char* out, std::uint64_t characters)
{
    if constexpr (std::endian::native == std::endian::big)
        characters = __builtin_bswap64(characters);
    std::memcpy(out, &characters, sizeof characters);
}

// printf's "%g" layout of six rounded digits: exponent form below 1e-4 and
// from 1e6, trailing zeros and a trailing point dropped.
char* WriteGeneral(char* out, SixDigits value)
{
    const DigitText text = SpellDigits(value.digits);
    const int significant = text.significant;
    const int exponent = value.exponent;
    if (exponent < -4 || exponent >= kSignificantDigits)
    {
        *out++ = static_cast<char>(text.characters);
        if (significant > 1)
        {
            *out++ = '.';
            out = PutDigits(out, text, 1, significant - 1);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent; // at most 308
        *out++ = static_cast<char>('0' + magnitude / 100);
        return PutPair(out, static_cast<std::uint32_t>(magnitude % 100));
    }
    // The fixed forms, chosen without branches, since real data mixes
    // magnitudes below and above 1 at random. Below 1: "0." and up to three
    // zeros, then the digits. From 1: the digits with the point moved in
    // after the integer part, dropped when nothing follows it.
    const bool fraction = exponent < 0;
    const int integerDigits = exponent + 1; // 1 to 6 unless fraction
    const int pointShift = 8 * (fraction ? 1 : integerDigits);
    const std::uint64_t integerMask = (std::uint64_t {1} << pointShift) - 1;
    const std::uint64_t pointed =
        (text.characters & integerMask) | (std::uint64_t {'.'} << pointShift) | ((text.characters & ~integerMask) << 8);
    const std::uint64_t leadingZeros = 0x303030302E30u; // "0.0000", the first character lowest
    char* const digitsAt = fraction ? out + 1 - exponent : out;
    StoreText(out, fraction ? leadingZeros : pointed);
    StoreText(digitsAt, fraction ? text.characters : pointed);
    const int length = fraction ? 1 - exponent + significant
                                : (significant > integerDigits ? significant + 1 : integerDigits);
    return out + length;
}
} // namespace

char* FormatReal(char* out, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t magnitudeBits = bits & ~(std::uint64_t {1} << 63);
    SixDigits digits;
    if (!RoundToSixDigits(magnitudeBits, digits))
        return FormatWithToChars(out, value);
    *out = '-';
    out += bits != magnitudeBits; // without a branch: signs come at random
    return WriteGeneral(out, digits);
}

std::string FormatReal(double value)
{
    char text[kMaxRealChars];
    return std::string(text, FormatReal(text, value));
}
