#pragma once

#include <string>

// The form of a UTF-8 path under which two names of the same file compare
// equal: as given on POSIX systems, whose file systems tell letters of
// different case apart, upper-cased on Windows, whose file systems do not.
// Only the letter case is folded: the path should be normalised first.
std::string FileNameKey(const std::string& path);
