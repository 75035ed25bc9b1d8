#include "platform/system_error.h"

#include <windows.h>

int LastSystemError()
{
    return static_cast<int>(GetLastError());
}

void SetLastSystemError(int error)
{
    SetLastError(static_cast<DWORD>(error));
}

bool IsOutOfMemoryError(int error)
{
    return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY;
}
