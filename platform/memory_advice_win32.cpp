#include "platform/memory_advice.h"

#include <windows.h>

void AdviseHugePages(void*, std::size_t)
{
    // Large pages need the "Lock pages in memory" privilege and a mapping
    // made for them; an ordinary user has neither, and 4 KiB pages serve.
}

void* MapPages(std::size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapPages(void* start, std::size_t)
{
    VirtualFree(start, 0, MEM_RELEASE);
}
