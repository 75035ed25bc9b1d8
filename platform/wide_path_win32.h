#pragma once

// Text conversions for the wide-character calls of the Windows files of
// platform/; included by those files alone.

#include <string>

// UTF-8 to UTF-16; bytes that are not UTF-8 become U+FFFD.
std::wstring Widen(const std::string& text);

// UTF-16 to UTF-8.
std::string Narrow(const std::wstring& text);

// The path for CreateFileW and its kin: absolute, with '\' separators, and
// led by \\?\ (\\?\UNC\ for a share) once it is too long for the
// traditional limit of 260 characters, which the prefix lifts. Devices
// (NUL, CON, \\.\...) are left as they are. Empty for an empty path.
std::wstring WidePath(const std::string& path);
