#pragma once

#include <cstddef>
#include <string>

// Room FormatReal needs: sign, six digits, point, 'e', exponent sign and up
// to three digits, with margin.
inline constexpr std::size_t kMaxRealChars = 32;

// Writes value as printf's "%g" does in the C locale (six significant digits,
// trailing zeros dropped, exponent form below 1e-4 and from 1e6), except that
// the exponent always has at least three digits: 4e-005, 1.5e+006. Negative
// zero is "-0"; infinities and NaNs are "inf", "-inf", "nan", "-nan".
// Writes at most kMaxRealChars characters from out and returns the end.
// Independent of the process locale.
char* FormatReal(char* out, double value);

std::string FormatReal(double value);
