#pragma once

#include <string>
#include <system_error>

// The reason a call of platform/ failed, as the system gave it: an errno
// value on POSIX systems, a GetLastError() code on Windows. Each call that
// says "the system error set" leaves it here for its caller on the same
// thread; 0 means no reason is known (a device where a file was expected).
int LastSystemError();
void SetLastSystemError(int error);

// The error as an error code of the system category, which names it in the
// system's words; none for 0.
inline std::error_code SystemErrorCode(int error)
{
    return error != 0 ? std::error_code(error, std::system_category()) : std::error_code();
}

// Whether the error says the system could not give the memory asked for.
bool IsOutOfMemoryError(int error);
