#include "platform/memory_advice.h"

#include <cstdint>

#include <sys/mman.h>

namespace
{
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
}

void AdviseHugePages(void* data, std::size_t bytes)
{
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (data != nullptr && end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void* MapPages(std::size_t bytes)
{
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return mapped == MAP_FAILED ? nullptr : mapped;
}

void UnmapPages(void* start, std::size_t bytes)
{
    munmap(start, bytes);
}
