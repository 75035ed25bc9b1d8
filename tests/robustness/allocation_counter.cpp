#include "tests/robustness/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

// Sizes are taken from malloc_usable_size on the way in and on the way out,
// so that the sized and unsized forms of delete count alike.
namespace
{
std::atomic<std::size_t> g_liveBytes {0};
std::atomic<std::size_t> g_peakBytes {0};

void* Counted(void* block)
{
    if (!block)
        return nullptr;
    const std::size_t size = malloc_usable_size(block);
    const std::size_t live = g_liveBytes.fetch_add(size) + size;
    std::size_t peak = g_peakBytes.load();
    while (live > peak && !g_peakBytes.compare_exchange_weak(peak, live))
    {
    }
    return block;
}

void* Allocate(std::size_t size)
{
    void* block = Counted(std::malloc(size == 0 ? 1 : size));
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
    const auto align = static_cast<std::size_t>(alignment);
    void* block = Counted(std::aligned_alloc(align, (size + align - 1) / align * align));
    if (!block)
        throw std::bad_alloc();
    return block;
}

void Release(void* block) noexcept
{
    if (!block)
        return;
    g_liveBytes.fetch_sub(malloc_usable_size(block));
    std::free(block);
}
} // namespace

namespace robustness
{
std::size_t LiveAllocatedBytes()
{
    return g_liveBytes.load();
}

std::size_t PeakAllocatedBytes()
{
    return g_peakBytes.load();
}

void ResetPeakAllocatedBytes()
{
    g_peakBytes.store(g_liveBytes.load());
}
} // namespace robustness

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Counted(std::malloc(size == 0 ? 1 : size));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Counted(std::malloc(size == 0 ? 1 : size));
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateAligned(size, alignment);
}
void operator delete(void* block) noexcept
{
    Release(block);
}
void operator delete[](void* block) noexcept
{
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept
{
    Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept
{
    Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    Release(block);
}
