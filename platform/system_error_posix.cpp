#include "platform/system_error.h"

#include <cerrno>

int LastSystemError()
{
    return errno;
}

void SetLastSystemError(int error)
{
    errno = error;
}

bool IsOutOfMemoryError(int error)
{
    return error == ENOMEM;
}
