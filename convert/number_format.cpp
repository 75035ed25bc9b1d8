#include "convert/number_format.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace
{
constexpr std::ptrdiff_t kExponentDigits = 3;
constexpr int kSignificantDigits = 6;

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
} // namespace

char* FormatReal(char* out, double value)
{
    // Leave room for the zeros WidenExponent inserts.
    const auto result = std::to_chars(out, out + kMaxRealChars - kExponentDigits, value,
                                      std::chars_format::general, kSignificantDigits);
    return WidenExponent(out, result.ptr);
}

std::string FormatReal(double value)
{
    char text[kMaxRealChars];
    return std::string(text, FormatReal(text, value));
}
